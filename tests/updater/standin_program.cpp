// A small program that stands in for the main program in the updater's tests.
//
// The tests append a mark to copies of this file ("ZU-MARK:old"), so every
// copy knows which version it is; it reads the mark from its own file.
//   no arguments  appends "<mark>\n" to "started.log" in its folder, exits 0
//   --wait        the same, then sleeps until it is ended (60 s at most), like
//                 a main program waiting for its updater
//   --check       prints the mark to stdout and exits 0
// A copy marked "broken" fails at once with exit code 3 unless asked to check.
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string OwnFile() {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return {};
    std::string p(path, static_cast<size_t>(n));
    constexpr std::string_view kDeleted = " (deleted)";
    if (p.ends_with(kDeleted)) p.resize(p.size() - kDeleted.size());
    return p;
}

std::string OwnMark() {
    std::ifstream in("/proc/self/exe", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto at = bytes.rfind("ZU-MARK:");
    return at == std::string::npos ? "unmarked" : bytes.substr(at + 8);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    const std::string mark = OwnMark();
    if (mode == "--check") {
        std::fwrite(mark.data(), 1, mark.size(), stdout);
        return 0;
    }
    if (mark == "broken") return 3;
    const std::string file = OwnFile();
    std::ofstream(file.substr(0, file.rfind('/')) + "/started.log", std::ios::app) << mark << "\n";
    if (mode == "--wait") sleep(60);
    return 0;
}
