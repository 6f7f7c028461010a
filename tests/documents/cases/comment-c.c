#include <stdio.h>
/* A block commentt
 * spanning lines with @param buff the buffer */
int main(void) {
    int x = 0x8904; // line commentt
    printf("Hello %s wrold\n", "namee");
    char c = '\n', d = 'q';
    const char* s = "unterminated stringg
    return x; /* unterminated commentt
still commentt
