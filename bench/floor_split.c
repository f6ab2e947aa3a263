/* The physical floor for a split: maps the input and, for every contact, makes one open, one write and
 * one close of its file in OUTDIR. No line is copied or converted; a contact runs from a line that reads
 * BEGIN:VCARD (any case, spaces around it) to the next line that is exactly END:VCARD, as in Tessely.
 * Files are named contact%04d.vcf, or with --names after the contact's first "FN:" line as it stands (the
 * same name again gets "-#1", "-#2"...), created under that final name; a contact without one keeps its
 * number. Line ends are found with memchr, one kind at a time, as fast as plain C finds them.
 * Usage: floor_split INPUT OUTDIR [--names] */
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

static const char *data, *end;
static const char *nextCr, *nextLf;

/* The end of the line that starts at p: the first CR or LF, each searched once per stretch of input. */
static const char* lineEnd(const char* p)
{
    if (nextCr < p) {
        nextCr = memchr(p, '\r', (size_t)(end - p));
        if (!nextCr)
            nextCr = end;
    }
    if (nextLf < p) {
        nextLf = memchr(p, '\n', (size_t)(end - p));
        if (!nextLf)
            nextLf = end;
    }
    return nextCr < nextLf ? nextCr : nextLf;
}

static int isOpening(const char* p, const char* e)
{
    while (p < e && *p == ' ')
        ++p;
    while (e > p && e[-1] == ' ')
        --e;
    return e - p == 11 && strncasecmp(p, "BEGIN:VCARD", 11) == 0;
}

/* The names seen so far and how often, in an open-addressing table. */
typedef struct {
    char* text;
    size_t length;
    unsigned long seen;
} Name;
static Name* table;
static size_t tableSize, tableUsed;

static uint64_t hash(const char* p, size_t n)
{
    uint64_t h = 1469598103934665603ULL;
    while (n--)
        h = (h ^ (unsigned char)*p++) * 1099511628211ULL;
    return h;
}

static Name* lookup(const char* p, size_t n)
{
    if (tableUsed * 2 >= tableSize) {
        Name* old = table;
        size_t oldSize = tableSize;
        tableSize = tableSize ? tableSize * 2 : 1024;
        table = calloc(tableSize, sizeof *table);
        for (size_t i = 0; i < oldSize; ++i) {
            if (!old[i].text)
                continue;
            size_t j = hash(old[i].text, old[i].length) & (tableSize - 1);
            while (table[j].text)
                j = (j + 1) & (tableSize - 1);
            table[j] = old[i];
        }
        free(old);
    }
    size_t i = hash(p, n) & (tableSize - 1);
    for (; table[i].text; i = (i + 1) & (tableSize - 1)) {
        if (table[i].length == n && memcmp(table[i].text, p, n) == 0)
            return &table[i];
    }
    table[i].text = malloc(n + 1);
    memcpy(table[i].text, p, n);
    table[i].length = n;
    ++tableUsed;
    return &table[i];
}

int main(int argc, char** argv)
{
    if (argc != 3 && !(argc == 4 && strcmp(argv[3], "--names") == 0)) {
        fprintf(stderr, "usage: floor_split INPUT OUTDIR [--names]\n");
        return 2;
    }
    const int named = argc == 4;
    int in = open(argv[1], O_RDONLY);
    struct stat info;
    if (in < 0 || fstat(in, &info) != 0) {
        perror(argv[1]);
        return 1;
    }
    data = info.st_size ? mmap(NULL, (size_t)info.st_size, PROT_READ, MAP_PRIVATE, in, 0) : "";
    if (data == MAP_FAILED) {
        perror("mmap");
        return 1;
    }
    end = data + info.st_size;
    nextCr = nextLf = data - 1;
    const char* start = NULL;
    const char* fn = NULL;
    size_t fnLength = 0;
    unsigned long count = 0;
    char path[8192];
    const size_t folder = strlen(argv[2]);
    memcpy(path, argv[2], folder);
    path[folder] = '/';
    for (const char* p = data; p < end;) {
        const char* eol = lineEnd(p);
        const char* next = eol;
        if (next < end && *next == '\r')
            ++next;
        if (next < end && *next == '\n' && (next == eol || next[-1] == '\r'))
            ++next;
        if (!start) {
            if (isOpening(p, eol)) {
                start = p;
                fn = NULL;
            }
        } else if (eol - p == 9 && memcmp(p, "END:VCARD", 9) == 0) {
            ++count;
            char* name = path + folder + 1;
            int flags = O_WRONLY | O_CREAT | O_TRUNC;
            if (named && fn && fnLength > 0 && fnLength < 200) {
                Name* entry = lookup(fn, fnLength);
                memcpy(name, fn, fnLength);
                name += fnLength;
                if (entry->seen++)
                    name += sprintf(name, "-#%lu", entry->seen - 1);
                memcpy(name, ".vcf", 5);
                flags = O_WRONLY | O_CREAT | O_EXCL;
            } else {
                sprintf(name, "contact%04lu.vcf", count);
            }
            int out = open(path, flags, 0666);
            if (out < 0 || write(out, start, (size_t)(next - start)) != next - start || close(out) != 0) {
                perror(path);
                return 1;
            }
            start = NULL;
        } else if (named && !fn && eol - p > 3 && memcmp(p, "FN:", 3) == 0) {
            fn = p + 3;
            fnLength = (size_t)(eol - fn);
        }
        p = next;
    }
    printf("%lu\n", count);
    return 0;
}
