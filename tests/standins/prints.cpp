// A console program that writes to its standard output and error, then
// ends: none of it may reach the checker's own output.
#include <stdio.h>

int main()
{
    printf("noise on standard output\n");
    fprintf(stderr, "noise on standard error\n");
    return 4;
}
