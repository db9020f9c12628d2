/* wordcount: counts the lines, words and bytes of its input. */
#include <ctype.h>
#include <stdio.h>

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
        if (isspace(ch)) {
            in_word = 0;
        } else if (!in_word) {
            in_word = 1;
            c->words++;
        }
    }
}

int main(void)
{
    struct counts c = {0, 0, 0};

    count_stream(stdin, &c);
    printf("%ld %ld %ld\n", c.lines, c.words, c.bytes);
    return 0;
}
