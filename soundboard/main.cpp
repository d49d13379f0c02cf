#include <cstdio>

int main() {
    std::printf("zirpomat %s\n", ZPM_VERSION);
    return 0;
}
