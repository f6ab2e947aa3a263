/* The physical floor for a numbered split: maps the input and, for every contact, makes one
 * open, one write and one close of contact%04d.vcf in OUTDIR. No line is copied or converted; a
 * contact runs from a line that reads BEGIN:VCARD (any case, spaces around it) to the next line that is
 * exactly END:VCARD, as in Tessely.
 * Usage: floor_split INPUT OUTDIR */
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

static int isOpening(const char* p, const char* e)
{
    while (p < e && *p == ' ')
        ++p;
    while (e > p && e[-1] == ' ')
        --e;
    return e - p == 11 && strncasecmp(p, "BEGIN:VCARD", 11) == 0;
}

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: floor_split INPUT OUTDIR\n");
        return 2;
    }
    int in = open(argv[1], O_RDONLY);
    struct stat info;
    if (in < 0 || fstat(in, &info) != 0) {
        perror(argv[1]);
        return 1;
    }
    const char* data = info.st_size ? mmap(NULL, (size_t)info.st_size, PROT_READ, MAP_PRIVATE, in, 0) : "";
    if (data == MAP_FAILED) {
        perror("mmap");
        return 1;
    }
    const char* end = data + info.st_size;
    const char* start = NULL;
    unsigned long count = 0;
    char name[4096];
    for (const char* p = data; p < end;) {
        const char* eol = p;
        while (eol < end && *eol != '\r' && *eol != '\n')
            ++eol;
        const char* next = eol;
        if (next < end && *next == '\r')
            ++next;
        if (next < end && *next == '\n' && (next == eol || next[-1] == '\r'))
            ++next;
        if (!start) {
            if (isOpening(p, eol))
                start = p;
        } else if (eol - p == 9 && memcmp(p, "END:VCARD", 9) == 0) {
            snprintf(name, sizeof name, "%s/contact%04lu.vcf", argv[2], ++count);
            int out = open(name, O_WRONLY | O_CREAT | O_TRUNC, 0666);
            if (out < 0 || write(out, start, (size_t)(next - start)) != next - start || close(out) != 0) {
                perror(name);
                return 1;
            }
            start = NULL;
        }
        p = next;
    }
    printf("%lu\n", count);
    return 0;
}
