// tavrine-test-sleeper <milliseconds> <marker-file> [<started-file>]: sleeps, then writes the
// marker file. Started through the hidden command runner with a shorter wait than its sleep, it
// shows that a timed-out command goes on running after the runner has given up on it. The
// started file, written before the sleep, tells a check that the process is up and its image
// known to the system.
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        return 2;
    }
    if (argc == 4) {
        std::ofstream started(argv[3]);
        started << "started\n";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atol(argv[1])));
    std::ofstream marker(argv[2]);
    marker << "done\n";
    return marker ? 0 : 1;
}
