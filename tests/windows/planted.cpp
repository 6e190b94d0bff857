// tavrine-test-planted: stands in for a program planted where a search by name would find it
// (as cmd.exe in the current folder). Run at all, it leaves C:\tavrine-planted-ran.txt.
#include <fstream>

int main(int argc, char** argv) {
    std::ofstream marker("C:\\tavrine-planted-ran.txt");
    for (int i = 0; i < argc; ++i) {
        marker << argv[i] << '\n';
    }
    return 0;
}
