// Prints its first argument as a line, then hangs for the number of seconds of the second: a
// command-line tool that never finishes, on any system.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char *argv[])
{
    if (argc < 3)
        return std::fprintf(stderr, "usage: hung_tool TEXT SECONDS\n"), 2;
    std::puts(argv[1]), std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::seconds(std::atoi(argv[2])));
}
