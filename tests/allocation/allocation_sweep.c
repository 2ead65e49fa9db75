/* A host in C, as far from the library's own runtime as a host can be, that
 * loads the library with dlopen and fails each allocation of a conversion in
 * turn (through failing_malloc.c, preloaded):
 *
 *   allocation_sweep LIBRARY SCRATCH_DIR JOB...
 *
 * For each job, and for a damaged copy of it (cut two-thirds in), it converts
 * once to learn the document, status and number of allocations, then, for
 * every N below that number, converts with all allocations after the first N
 * failing. Each of those runs must return a defined status, leave as many
 * blocks live as before it, and leave as output nothing, a prefix of the
 * document, or (when it returns the same status) the whole document. An abort
 * or crash of the host fails the test by itself. */
#include <tqxml/tqxml.h>

#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef unsigned int(TQXML_CALL* CreateFunction)(const char*, const char*, TQXMLProgressCallback);

static void (*g_arm)(long);
static void (*g_disarm)(void);
static long (*g_calls)(void);
static long (*g_live)(void);
static CreateFunction g_create;

/* The whole content of a file (nothing, for a file that is missing). */
struct Bytes {
    unsigned char* data;
    long size;
};

static struct Bytes ReadAll(const char* path) {
    struct Bytes bytes = {NULL, 0};
    FILE* file = fopen(path, "rb");
    if (!file) return bytes;
    fseek(file, 0, SEEK_END);
    bytes.size = ftell(file);
    fseek(file, 0, SEEK_SET);
    bytes.data = malloc(bytes.size > 0 ? (size_t)bytes.size : 1);
    if (!bytes.data || fread(bytes.data, 1, (size_t)bytes.size, file) != (size_t)bytes.size) {
        fprintf(stderr, "cannot read %s\n", path);
        exit(2);
    }
    fclose(file);
    return bytes;
}

static void WriteAll(const char* path, const unsigned char* data, long size) {
    FILE* file = fopen(path, "wb");
    if (!file || fwrite(data, 1, (size_t)size, file) != (size_t)size || fclose(file) != 0) {
        fprintf(stderr, "cannot write %s\n", path);
        exit(2);
    }
}

static int IsDefined(unsigned status) {
    return status == TQXML_Done || status == TQXML_Stopped || status == TQXML_JobMissing ||
           status == TQXML_JobUnreadable || status == TQXML_OutputFailed;
}

/* Converts `job` with every allocation after the first `n` failing (n < 0:
 * none fails); returns the status and leaves the number of calls in *calls. */
static unsigned Convert(const char* job, const char* xml, long n, long* calls) {
    remove(xml);
    g_arm(n < 0 ? 0x7FFFFFFFL : n);
    const unsigned status = g_create(job, xml, NULL);
    *calls = g_calls();
    g_disarm();
    return status;
}

/* Sweeps one job; returns the number of failed checks. */
static int Sweep(const char* job, const char* label, const char* xml) {
    long total;
    const unsigned expected = Convert(job, xml, -1, &total);
    struct Bytes whole = ReadAll(xml);
    int failures = 0;
    for (long n = 0; n < total; ++n) {
        const long live = g_live();
        long calls;
        const unsigned status = Convert(job, xml, n, &calls);
        const long leaked = g_live() - live;
        struct Bytes out = ReadAll(xml);
        const int prefix = out.size <= whole.size &&
                           (out.size == 0 || memcmp(out.data, whole.data, (size_t)out.size) == 0);
        const char* fault = NULL;
        if (!IsDefined(status)) fault = "an undefined status";
        else if (leaked != 0) fault = "blocks left allocated";
        else if (!prefix) fault = "an output that is not a prefix of the document";
        else if (status == expected && out.size != whole.size) fault = "a cut document";
        if (fault) {
            fprintf(stderr, "%s, allocation %ld of %ld failing: status %u, %ld blocks leaked, %s\n",
                    label, n + 1, total, status, leaked, fault);
            ++failures;
        }
        free(out.data);
    }
    printf("%s: status %u, %ld allocations, each failed in turn: %s\n", label, expected, total,
           failures ? "FAILED" : "ok");
    free(whole.data);
    return failures;
}

static void* Symbol(void* module, const char* name) {
    void* symbol = dlsym(module, name);
    if (!symbol) {
        fprintf(stderr, "%s not found (is failing_malloc preloaded?)\n", name);
        exit(2);
    }
    return symbol;
}

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: allocation_sweep LIBRARY SCRATCH_DIR JOB...\n");
        return 2;
    }
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        fprintf(stderr, "%s\n", dlerror());
        return 2;
    }
    g_create = (CreateFunction)Symbol(library, "CreateTQXMLFile");
    g_arm = (void (*)(long))Symbol(RTLD_DEFAULT, "failing_malloc_arm");
    g_disarm = (void (*)(void))Symbol(RTLD_DEFAULT, "failing_malloc_disarm");
    g_calls = (long (*)(void))Symbol(RTLD_DEFAULT, "failing_malloc_calls");
    g_live = (long (*)(void))Symbol(RTLD_DEFAULT, "failing_malloc_live");

    char xml[4096], damaged[4096];
    snprintf(xml, sizeof xml, "%s/sweep.xml", argv[2]);
    snprintf(damaged, sizeof damaged, "%s/sweep-damaged.job", argv[2]);
    int failures = 0;
    for (int i = 3; i < argc; ++i) {
        failures += Sweep(argv[i], argv[i], xml);
        struct Bytes job = ReadAll(argv[i]);
        WriteAll(damaged, job.data, job.size * 2 / 3);
        free(job.data);
        char label[4200];
        snprintf(label, sizeof label, "%s, cut two-thirds in", argv[i]);
        failures += Sweep(damaged, label, xml);
    }
    remove(xml);
    remove(damaged);
    return failures ? 1 : 0;
}
