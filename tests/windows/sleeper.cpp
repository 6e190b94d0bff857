// tavrine-test-sleeper <milliseconds> <marker-file>: sleeps, then writes the marker file.
// Started through the hidden command runner with a shorter wait than its sleep, it shows that
// a timed-out command goes on running after the runner has given up on it.
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atol(argv[1])));
    std::ofstream marker(argv[2]);
    marker << "done\n";
    return marker ? 0 : 1;
}
