// kestrune-cli: the headless front end over the engine.
#include <cstdio>

int main(int argc, char** argv) {
    std::puts("kestrune-cli: nothing here yet");
    return 0;
}
