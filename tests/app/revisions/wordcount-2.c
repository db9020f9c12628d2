/* wordcount: counts the lines, words and bytes of its input files. */
#include <ctype.h>
#include <stdio.h>
#include <string.h>

struct counts {
    long lines;
    long words;
    long bytes;
};

static void count_stream(FILE *in, struct counts *c)
{
    int ch;
    int in_word = 0;

    while ((ch = getc(in)) != EOF) {
        c->bytes++;
        if (ch == '\n')
            c->lines++;
        if (isspace((unsigned char)ch)) {
            in_word = 0;
        } else if (!in_word) {
            in_word = 1;
            c->words++;
        }
    }
}

static void print_counts(const struct counts *c, const char *name)
{
    printf("%7ld %7ld %7ld %s\n", c->lines, c->words, c->bytes, name);
}

int main(int argc, char **argv)
{
    struct counts total = {0, 0, 0};
    int i;

    if (argc < 2) {
        count_stream(stdin, &total);
        print_counts(&total, "");
        return 0;
    }
    for (i = 1; i < argc; i++) {
        struct counts c = {0, 0, 0};
        FILE *in = fopen(argv[i], "r");

        if (!in) {
            perror(argv[i]);
            return 1;
        }
        count_stream(in, &c);
        fclose(in);
        print_counts(&c, argv[i]);
        total.lines += c.lines;
        total.words += c.words;
        total.bytes += c.bytes;
    }
    if (argc > 2)
        print_counts(&total, "total");
    return 0;
}
