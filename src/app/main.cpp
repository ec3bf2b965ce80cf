#include <cstdio>

int main() {
    std::puts("Quorbel: the application shell is not built yet.");
    return 0;
}
