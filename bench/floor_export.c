/* A plain C floor for the raw-format CSV export: maps the input and reads it twice, once to collect the
 * distinct field names in order of first appearance and once to write one row per contact, so that
 * only one contact is held at a time. Lines are normalised as Tessely does (commas deleted, ";" made a
 * space, upper case, spaces trimmed), but upper-casing covers ASCII letters only. Line ends are found
 * with memchr, the first pass normalises only the part before a line's first colon, and the table goes
 * out through one large buffer with plain write calls.
 * Usage: floor_export INPUT OUTDIR   (writes OUTDIR/Contacts_Export.csv) */
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

typedef struct {
    const char* text;
    size_t length;
} Slice;

static const char *data, *dataEnd;
static const char *nextCr, *nextLf;

/* The end of the line that starts at p: the first CR or LF, each searched once per stretch of input. */
static const char* lineEnd(const char* p)
{
    if (nextCr < p) {
        nextCr = memchr(p, '\r', (size_t)(dataEnd - p));
        if (!nextCr)
            nextCr = dataEnd;
    }
    if (nextLf < p) {
        nextLf = memchr(p, '\n', (size_t)(dataEnd - p));
        if (!nextLf)
            nextLf = dataEnd;
    }
    return nextCr < nextLf ? nextCr : nextLf;
}

/* The table's bytes on their way out: one large buffer, written with plain write calls. */
static int outFile;
static char outBuffer[1 << 22];
static size_t outUsed;

static void flushOut(void)
{
    if (outUsed && write(outFile, outBuffer, outUsed) != (ssize_t)outUsed) {
        perror("write");
        exit(1);
    }
    outUsed = 0;
}

static void put(const char* p, size_t n);

/* One cell as Tessely writes it: a cell that would start a formula gets a leading apostrophe, a cell
 * holding a double quote is quoted with its quotes doubled. */
static void putCell(const char* p, size_t n)
{
    const int guard = n > 0 && (*p == '=' || *p == '+' || *p == '-' || *p == '@' || *p == '\t' || *p == '\r');
    const char* quote = memchr(p, '"', n);
    if (!quote) {
        if (guard)
            put("'", 1);
        put(p, n);
        return;
    }
    put(guard ? "\"'" : "\"", guard ? 2 : 1);
    const char* e = p + n;
    for (; quote; quote = memchr(p, '"', (size_t)(e - p))) {
        put(p, (size_t)(quote + 1 - p));
        put("\"", 1);
        p = quote + 1;
    }
    put(p, (size_t)(e - p));
    put("\"", 1);
}

static void put(const char* p, size_t n)
{
    if (outUsed + n > sizeof outBuffer) {
        flushOut();
        if (n > sizeof outBuffer) {
            if (write(outFile, p, n) != (ssize_t)n)
                exit(1);
            return;
        }
    }
    memcpy(outBuffer + outUsed, p, n);
    outUsed += n;
}
static char* scratch; /* the current contact's normalised entries, one after another */
static size_t scratchUsed, scratchSize;
static size_t *entryStart, entryCount, entryLimit;

static char** names;
static size_t* nameLength;
static size_t nameCount, nameLimit;
static uint32_t* slots; /* hash table of name indexes + 1 */
static size_t slotCount = 1024;

static void* grow(void* block, size_t* limit, size_t element)
{
    *limit = *limit ? *limit * 2 : 64;
    block = realloc(block, *limit * element);
    if (!block)
        abort();
    return block;
}

static uint32_t hash(const char* p, size_t n)
{
    uint32_t h = 2166136261u;
    while (n--)
        h = (h ^ (unsigned char)*p++) * 16777619u;
    return h;
}

static long findName(const char* p, size_t n, int add)
{
    size_t i = hash(p, n) & (slotCount - 1);
    for (; slots[i]; i = (i + 1) & (slotCount - 1)) {
        size_t k = slots[i] - 1;
        if (nameLength[k] == n && memcmp(names[k], p, n) == 0)
            return (long)k;
    }
    if (!add)
        return -1;
    if (nameCount == nameLimit) {
        names = grow(names, &nameLimit, sizeof *names);
        nameLength = realloc(nameLength, nameLimit * sizeof *nameLength);
    }
    names[nameCount] = malloc(n + 1);
    memcpy(names[nameCount], p, n);
    nameLength[nameCount] = n;
    slots[i] = (uint32_t)++nameCount;
    if (nameCount * 2 > slotCount) { /* rehash */
        free(slots);
        slotCount *= 2;
        slots = calloc(slotCount, sizeof *slots);
        for (size_t k = 0; k < nameCount; ++k) {
            size_t j = hash(names[k], nameLength[k]) & (slotCount - 1);
            while (slots[j])
                j = (j + 1) & (slotCount - 1);
            slots[j] = (uint32_t)(k + 1);
        }
    }
    return (long)(nameCount - 1);
}

static Slice trim(const char* p, const char* e)
{
    while (p < e && *p == ' ')
        ++p;
    while (e > p && e[-1] == ' ')
        --e;
    Slice s = { p, (size_t)(e - p) };
    return s;
}

/* Appends the normalised line to the scratch buffer and gives its trimmed slice there. */
static Slice normalise(const char* p, const char* e)
{
    if (scratchUsed + (size_t)(e - p) > scratchSize) {
        while (scratchUsed + (size_t)(e - p) > scratchSize)
            scratchSize = scratchSize ? scratchSize * 2 : 1 << 16;
        scratch = realloc(scratch, scratchSize);
    }
    char* out = scratch + scratchUsed;
    for (; p < e; ++p) {
        char c = *p;
        if (c == ',')
            continue;
        if (c == ';')
            c = ' ';
        else if (c >= 'a' && c <= 'z')
            c -= 32;
        *out++ = c;
    }
    Slice s = trim(scratch + scratchUsed, out);
    memmove(scratch + scratchUsed, s.text, s.length);
    s.text = scratch + scratchUsed;
    return s;
}

/* Reads the next contact into the entries; 0 at the end of the input. With namesOnly, only the part of a
 * line before its first colon is normalised, which is all the first pass needs. */
static int nextContact(const char** cursor, int namesOnly)
{
    const char* p = *cursor;
    int inside = 0;
    scratchUsed = 0;
    entryCount = 0;
    while (p < dataEnd) {
        const char* eol = lineEnd(p);
        const char* next = eol;
        if (next < dataEnd && *next == '\r')
            ++next;
        if (next < dataEnd && *next == '\n' && (next == eol || next[-1] == '\r'))
            ++next;
        if (!inside) {
            Slice s = trim(p, eol);
            inside = s.length == 11 && strncasecmp(s.text, "BEGIN:VCARD", 11) == 0;
        } else {
            const char* cut = eol;
            if (namesOnly) {
                const char* colon = memchr(p, ':', (size_t)(eol - p));
                /* a colon-less line holds no name; "END:VCARD" is told by its name part */
                if (!colon) {
                    p = next;
                    continue;
                }
                Slice name = trim(p, colon);
                if (!(name.length == 3 && strncasecmp(name.text, "END", 3) == 0))
                    cut = colon + 1;
            }
            Slice s = normalise(p, cut);
            if (memchr(s.text, ':', s.length)) {
                if (entryCount == entryLimit)
                    entryStart = grow(entryStart, &entryLimit, sizeof *entryStart);
                entryStart[entryCount++] = scratchUsed;
                scratchUsed += s.length;
            } else if (entryCount > 0) {
                scratchUsed += s.length; /* glued to the end of the last entry */
            }
            if (s.length == 9 && memcmp(s.text, "END:VCARD", 9) == 0) {
                *cursor = next;
                return 1;
            }
        }
        p = next;
    }
    *cursor = p;
    return inside;
}

static void entryParts(size_t k, Slice* name, Slice* value)
{
    const char* begin = scratch + entryStart[k];
    const char* end = k + 1 < entryCount ? scratch + entryStart[k + 1] : scratch + scratchUsed;
    const char* colon = memchr(begin, ':', (size_t)(end - begin));
    *name = trim(begin, colon);
    *value = trim(colon + 1, end);
}

static int isEnd(size_t k)
{
    Slice name, value;
    entryParts(k, &name, &value);
    return k + 1 == entryCount && name.length == 3 && memcmp(name.text, "END", 3) == 0 && value.length == 5
        && memcmp(value.text, "VCARD", 5) == 0;
}

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: floor_export INPUT OUTDIR\n");
        return 2;
    }
    int in = open(argv[1], O_RDONLY);
    struct stat info;
    if (in < 0 || fstat(in, &info) != 0) {
        perror(argv[1]);
        return 1;
    }
    data = info.st_size ? mmap(NULL, (size_t)info.st_size, PROT_READ, MAP_PRIVATE, in, 0) : "";
    if (data == MAP_FAILED)
        return 1;
    dataEnd = data + info.st_size;
    nextCr = nextLf = data - 1;
    slots = calloc(slotCount, sizeof *slots);

    const char* cursor = data;
    unsigned long contacts = 0;
    while (nextContact(&cursor, 1)) {
        ++contacts;
        for (size_t k = 0; k < entryCount; ++k) {
            Slice name, value;
            if (isEnd(k))
                break;
            entryParts(k, &name, &value);
            findName(name.text, name.length, 1);
        }
    }

    char path[4096];
    snprintf(path, sizeof path, "%s/Contacts_Export.csv", argv[2]);
    outFile = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (outFile < 0) {
        perror(path);
        return 1;
    }
    for (size_t k = 0; k < nameCount; ++k) {
        if (k)
            put(",", 1);
        putCell(names[k], nameLength[k]);
    }
    put("\r\n", 2);
    Slice* row = calloc(nameCount + 1, sizeof *row);
    cursor = data;
    nextCr = nextLf = data - 1;
    while (nextContact(&cursor, 0)) {
        memset(row, 0, (nameCount + 1) * sizeof *row);
        for (size_t k = 0; k < entryCount; ++k) {
            Slice name, value;
            if (isEnd(k))
                break;
            entryParts(k, &name, &value);
            row[findName(name.text, name.length, 0)] = value;
        }
        for (size_t k = 0; k < nameCount; ++k) {
            if (k)
                put(",", 1);
            putCell(row[k].text, row[k].length);
        }
        put("\r\n", 2);
    }
    flushOut();
    if (close(outFile) != 0) {
        perror(path);
        return 1;
    }
    printf("%lu\n", contacts);
    return 0;
}
