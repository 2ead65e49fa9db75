/* tqxml: converts a survey job file into an XML document.
 *
 * The library exports one function. It converts the job file at `jobPath`
 * into the XML document at `xmlPath` (the exact text "STDOUT$" sends the
 * document to standard output) and returns one of the status values below.
 * `progress` may be null; otherwise it is called after each record with the
 * percentage done, and a return of 0 stops the run (status 1).
 *
 * Both paths are 8-bit texts in the host's code page (the system's ANSI code
 * page on Windows, UTF-8 on POSIX systems). On 32-bit Windows the function
 * and the callback use the __stdcall convention (TQXML_CALL), and tqxml.dll
 * exports the function by its plain name, so GetProcAddress finds it as
 * "CreateTQXMLFile". The library keeps process-wide state (named directories and the
 * diagnostics sink); on POSIX, conversions on different threads are
 * independent and may run at the same time.
 */
#ifndef TQXML_TQXML_H
#define TQXML_TQXML_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32) && !defined(_WIN64)
#define TQXML_CALL __stdcall
#else
#define TQXML_CALL
#endif

/* On Windows the library exports the function and a program that links
 * tqxml.dll imports it; the library's own build defines TQXML_BUILDING_LIBRARY. */
#if defined(_WIN32) && defined(TQXML_BUILDING_LIBRARY)
#define TQXML_EXPORT __declspec(dllexport)
#elif defined(_WIN32)
#define TQXML_EXPORT __declspec(dllimport)
#else
#define TQXML_EXPORT __attribute__((visibility("default")))
#endif

enum TQXMLStatus {
    TQXML_Done = 0,          /* the document was written completely */
    TQXML_Stopped = 1,       /* the progress callback returned 0 */
    TQXML_JobMissing = 3,    /* the job file does not exist (or its path is empty) */
    TQXML_JobUnreadable = 4, /* the job cannot be opened, or holds no record */
    TQXML_OutputFailed = 5   /* the output file cannot be created */
};

/* Called after each record with the percentage done (0 to 100); return 0 to stop. */
typedef unsigned char(TQXML_CALL* TQXMLProgressCallback)(int percent);

TQXML_EXPORT unsigned int TQXML_CALL CreateTQXMLFile(const char* jobPath, const char* xmlPath,
                                                    TQXMLProgressCallback progress);

#ifdef __cplusplus
}
#endif

#endif
