#include <cstdio>

int main() {
    std::fputs("tallvane-station: not available in this build\n", stderr);
    return 2;
}
