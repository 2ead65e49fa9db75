/* A host program in C: converts one job with the library's one function.
 *
 *   consumer JOB XML    (XML may be STDOUT$ for standard output)
 *
 * Built against an installed tqxml with CMake (CMakeLists.txt beside this
 * file) or with pkg-config:
 *   cc consumer.c $(pkg-config --cflags --libs tqxml) -o consumer
 */
#include <tqxml/tqxml.h>

#include <stdio.h>

static unsigned char TQXML_CALL Progress(int percent) {
    (void)percent;
    return 1; /* go on */
}

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s JOB XML\n", argv[0]);
        return 2;
    }
    const unsigned status = CreateTQXMLFile(argv[1], argv[2], Progress);
    if (status != TQXML_Done) fprintf(stderr, "%s: status %u\n", argv[1], status);
    return (int)status;
}
