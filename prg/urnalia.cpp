// The program file: everything happens in MAIN.
#include "main.h"

int main() {
    return MAIN();
}
