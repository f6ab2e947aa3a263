/* A plain C floor for the raw-format CSV export: maps the input and reads it twice, once to collect the
 * columns in order of first appearance and once to write one row per contact, so that only one contact
 * is held at a time. A folded line (one that starts with a space or a tab) continues the line before it;
 * lines are then normalised as Tessely does (commas deleted, ";" made a space, upper case, spaces
 * trimmed), but upper-casing covers ASCII letters only and every line is taken as UTF-8. A field that a
 * contact holds again gets a column of its own ("EMAIL (2)"). Cards nested after AGENT lines are not
 * looked for. Line ends are found with memchr, the first pass normalises only the part before a line's
 * first colon, and the table goes out through one large buffer with plain write calls.
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

/* A table of texts found by hash: the field names, and the columns, whose key is the field name followed
 * by a byte 1 and the occurrence for the second and later ones. */
typedef struct {
    char** text;
    size_t* length;
    size_t count, limit;
    uint32_t* slots; /* indexes + 1 */
    size_t slotCount;
} Table;
static Table names, columns;
static size_t* columnOccurrence; /* for each column */
static unsigned long* seenIn; /* for each field name: the contact it was last seen in, and how often */
static size_t* seenCount;
static size_t seenLimit;

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

static long find(Table* t, const char* p, size_t n, int add)
{
    if (!t->slots) {
        t->slotCount = 1024;
        t->slots = calloc(t->slotCount, sizeof *t->slots);
    }
    size_t i = hash(p, n) & (t->slotCount - 1);
    for (; t->slots[i]; i = (i + 1) & (t->slotCount - 1)) {
        size_t k = t->slots[i] - 1;
        if (t->length[k] == n && memcmp(t->text[k], p, n) == 0)
            return (long)k;
    }
    if (!add)
        return -1;
    if (t->count == t->limit) {
        t->text = grow(t->text, &t->limit, sizeof *t->text);
        t->length = realloc(t->length, t->limit * sizeof *t->length);
    }
    t->text[t->count] = malloc(n + 1);
    memcpy(t->text[t->count], p, n);
    t->length[t->count] = n;
    t->slots[i] = (uint32_t)++t->count;
    if (t->count * 2 > t->slotCount) { /* rehash */
        free(t->slots);
        t->slotCount *= 2;
        t->slots = calloc(t->slotCount, sizeof *t->slots);
        for (size_t k = 0; k < t->count; ++k) {
            size_t j = hash(t->text[k], t->length[k]) & (t->slotCount - 1);
            while (t->slots[j])
                j = (j + 1) & (t->slotCount - 1);
            t->slots[j] = (uint32_t)(k + 1);
        }
    }
    return (long)(t->count - 1);
}

/* The column of an entry of contact `contact` named `name`: its field name's first column, or for its
 * k-th occurrence in the contact the column "NAME (k)". */
static long findColumn(Slice name, unsigned long contact, int add)
{
    long field = find(&names, name.text, name.length, add);
    if (field < 0)
        return -1;
    if ((size_t)field >= seenLimit) {
        size_t old = seenLimit;
        while ((size_t)field >= seenLimit)
            seenLimit = seenLimit ? seenLimit * 2 : 1024;
        seenIn = realloc(seenIn, seenLimit * sizeof *seenIn);
        seenCount = realloc(seenCount, seenLimit * sizeof *seenCount);
        memset(seenIn + old, 0, (seenLimit - old) * sizeof *seenIn);
    }
    if (seenIn[field] != contact) {
        seenIn[field] = contact;
        seenCount[field] = 0;
    }
    size_t occurrence = ++seenCount[field];
    char key[4096 + 32];
    size_t n = name.length < 4096 ? name.length : 4096;
    memcpy(key, name.text, n);
    if (occurrence > 1)
        n += (size_t)snprintf(key + n, 32, "\001%zu", occurrence);
    size_t before = columns.count;
    long column = find(&columns, key, n, add);
    if (columns.count > before) {
        columnOccurrence = realloc(columnOccurrence, columns.limit * sizeof *columnOccurrence);
        columnOccurrence[column] = occurrence;
    }
    return column;
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

/* True when the line, trimmed of spaces, reads `word` in any letter case. */
static int reads(const char* p, const char* e, const char* word)
{
    Slice s = trim(p, e);
    size_t n = strlen(word);
    return s.length == n && strncasecmp(s.text, word, n) == 0;
}

/* The start of the line after the one that ends at eol. */
static const char* afterEnd(const char* eol)
{
    const char* next = eol;
    if (next < dataEnd && *next == '\r')
        ++next;
    if (next < dataEnd && *next == '\n' && (next == eol || next[-1] == '\r'))
        ++next;
    return next;
}

static char* joined; /* a line and the lines folded after it */
static size_t joinedSize;

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
        const char* next = afterEnd(eol);
        if (!inside) {
            inside = reads(p, eol, "BEGIN:VCARD");
            p = next;
            continue;
        }
        if (reads(p, eol, "END:VCARD")) {
            *cursor = next;
            return 1;
        }
        if (reads(p, eol, "BEGIN:VCARD")) {
            *cursor = p;
            return 1;
        }
        /* The lines folded after this one, unless one of them opens or closes a contact. */
        const char* start = p;
        const char* end = eol;
        size_t used = 0;
        while (next < dataEnd && (*next == ' ' || *next == '\t')) {
            const char* foldEnd = lineEnd(next);
            if (reads(next, foldEnd, "END:VCARD") || reads(next, foldEnd, "BEGIN:VCARD"))
                break;
            if (used == 0) {
                used = (size_t)(eol - p);
                if (used + 1 > joinedSize)
                    joined = realloc(joined, joinedSize = 2 * used + 4096);
                memcpy(joined, p, used);
            }
            size_t more = (size_t)(foldEnd - next) - 1;
            if (used + more > joinedSize)
                joined = realloc(joined, joinedSize = 2 * (used + more) + 4096);
            memcpy(joined + used, next + 1, more);
            used += more;
            next = afterEnd(foldEnd);
        }
        if (used) {
            start = joined;
            end = joined + used;
        }
        const char* cut = end;
        if (namesOnly) {
            const char* colon = memchr(start, ':', (size_t)(end - start));
            /* a colon-less line holds no name */
            if (!colon) {
                p = next;
                continue;
            }
            cut = colon + 1;
        }
        Slice s = normalise(start, cut);
        if (memchr(s.text, ':', s.length)) {
            if (entryCount == entryLimit)
                entryStart = grow(entryStart, &entryLimit, sizeof *entryStart);
            entryStart[entryCount++] = scratchUsed;
            scratchUsed += s.length;
        } else if (entryCount > 0) {
            scratchUsed += s.length; /* glued to the end of the last entry */
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

    const char* cursor = data;
    unsigned long contacts = 0;
    while (nextContact(&cursor, 1)) {
        ++contacts;
        for (size_t k = 0; k < entryCount; ++k) {
            Slice name, value;
            entryParts(k, &name, &value);
            findColumn(name, contacts, 1);
        }
    }

    char path[4096];
    snprintf(path, sizeof path, "%s/Contacts_Export.csv", argv[2]);
    outFile = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (outFile < 0) {
        perror(path);
        return 1;
    }
    for (size_t k = 0; k < columns.count; ++k) {
        if (k)
            put(",", 1);
        char header[4096 + 32];
        size_t n = columns.length[k];
        if (columnOccurrence[k] > 1) {
            n = (size_t)((const char*)memchr(columns.text[k], 1, n) - columns.text[k]);
            memcpy(header, columns.text[k], n);
            n += (size_t)snprintf(header + n, 32, " (%zu)", columnOccurrence[k]);
            putCell(header, n);
        } else {
            putCell(columns.text[k], n);
        }
    }
    put("\r\n", 2);
    Slice* row = calloc(columns.count + 1, sizeof *row);
    cursor = data;
    nextCr = nextLf = data - 1;
    contacts = 0;
    if (seenLimit)
        memset(seenIn, 0, seenLimit * sizeof *seenIn);
    while (nextContact(&cursor, 0)) {
        ++contacts;
        memset(row, 0, (columns.count + 1) * sizeof *row);
        for (size_t k = 0; k < entryCount; ++k) {
            Slice name, value;
            entryParts(k, &name, &value);
            row[findColumn(name, contacts, 0)] = value;
        }
        for (size_t k = 0; k < columns.count; ++k) {
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
