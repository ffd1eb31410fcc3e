// Plays the instrument on a pseudo-terminal: prints the path of the device to open, then sends
// a transfer the way the instrument does, paced at its line rate in deliveries of random sizes.

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iconv.h>
#include <iostream>
#include <poll.h>
#include <pty.h>
#include <random>
#include <sstream>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int)
{
    stopRequested = 1;
}

const char builtInSample[] = "DEVICE ТОЛЩИНОМЕР Т-100\n"
                             "SN 00517\n"
                             "Объект: трубопровод 12\n"
                             "GROUP#1 0.52\n"
                             "GROUP#1 0.55\n"
                             "GROUP#1 0.61\n"
                             "GROUP#2 1.07\n"
                             "GROUP#2 1.10\n"
                             "GROUP#3 2.31\n"
                             "GROUP#3 2.35\n"
                             "GROUP#3 2.29\n"
                             "GROUP#3 2.40\n"
                             "GROUP#4 0.98 мм\n"
                             "END\n";

struct Options
{
    std::string file;
    bool raw = false;
    double rate = 1920; // bytes per second; 19200 baud with 10 bits a byte
    double pause = 0; // seconds between transfers; 0 sends once
    long count = -1; // transfers in all; -1: once without a pause, endless with one
    unsigned seed = std::random_device()();
    bool exitWhenDone = false;
};

void usage(std::ostream &out)
{
    out << "Usage: tolvaren-sim [options]\n"
           "Opens a pseudo-terminal, prints the path of its device on the first line, and sends\n"
           "an instrument transfer to whoever opens it.\n\n"
           "Options:\n"
           "  --file FILE   send FILE (UTF-8 text, sent as CP866 with CR LF line ends)\n"
           "                instead of the built-in sample\n"
           "  --raw         send FILE byte for byte, unconverted\n"
           "  --rate N      bytes per second (default 1920, the line rate of 19200 baud);\n"
           "                0 sends as fast as the line takes it\n"
           "  --pause S     send again every S seconds (default: once)\n"
           "  --count N     number of transfers (default: 1, or endless with --pause)\n"
           "  --seed N      seed of the delivery sizes, to repeat a run\n"
           "  --exit        end after the last transfer instead of keeping the line open\n"
           "  --help        show this text\n";
}

bool parse(int argc, char **argv, Options &options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](double &target) {
            if (i + 1 >= argc)
                return false;
            char *end = nullptr;
            target = std::strtod(argv[++i], &end);
            return end && *end == '\0' && target >= 0;
        };
        double number = 0;
        if (arg == "--help") {
            usage(std::cout);
            std::exit(0);
        } else if (arg == "--file" && i + 1 < argc) {
            options.file = argv[++i];
        } else if (arg == "--raw") {
            options.raw = true;
        } else if (arg == "--exit") {
            options.exitWhenDone = true;
        } else if (arg == "--rate") {
            if (!value(options.rate))
                return false;
        } else if (arg == "--pause") {
            if (!value(options.pause))
                return false;
        } else if (arg == "--count") {
            if (!value(number) || number < 1)
                return false;
            options.count = static_cast<long>(number);
        } else if (arg == "--seed") {
            if (!value(number))
                return false;
            options.seed = static_cast<unsigned>(number);
        } else {
            return false;
        }
    }
    if (options.count < 0)
        options.count = options.pause > 0 ? 0 : 1;
    return true;
}

bool readFile(const std::string &path, std::string &contents)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    contents = buffer.str();
    return true;
}

// The instrument's form of a text: CR LF line ends, code page 866.
bool toInstrumentText(const std::string &utf8, std::string &out)
{
    std::string crlf;
    for (const char c : utf8) {
        if (c == '\n' && (crlf.empty() || crlf.back() != '\r'))
            crlf += '\r';
        crlf += c;
    }
    iconv_t converter = iconv_open("CP866", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return false;
    out.assign(crlf.size(), '\0');
    char *in = crlf.data();
    size_t inLeft = crlf.size();
    char *outPtr = out.data();
    size_t outLeft = out.size(); // CP866 never needs more bytes than UTF-8
    const size_t result = iconv(converter, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(converter);
    if (result == static_cast<size_t>(-1))
        return false;
    out.resize(out.size() - outLeft);
    return true;
}

// Sleeps, waking early when asked to stop.
void pauseFor(double seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!stopRequested && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

// Whatever comes back from the line is read and dropped, so that it never fills up.
void drain(int master)
{
    char scratch[256];
    pollfd fd { master, POLLIN, 0 };
    while (poll(&fd, 1, 0) > 0 && (fd.revents & POLLIN)) {
        if (read(master, scratch, sizeof scratch) <= 0)
            break;
    }
}

// The master side reports a hang-up while nobody has the device open.
bool waitForReader(int master)
{
    while (!stopRequested) {
        pollfd fd { master, POLLIN, 0 };
        if (poll(&fd, 1, 50) < 0 && errno != EINTR)
            return false;
        if (!(fd.revents & POLLHUP)) {
            drain(master);
            // Let the reader finish setting the line up before the first byte.
            pauseFor(0.2);
            return !stopRequested;
        }
        // A hang-up does not wait in poll(); look again a little later.
        pauseFor(0.1);
    }
    return false;
}

bool writeAll(int master, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t written = write(master, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool sendTransfer(int master, const std::string &transfer, const Options &options,
                  std::mt19937 &random)
{
    std::uniform_int_distribution<size_t> deliverySize(1, 64);
    size_t sent = 0;
    while (sent < transfer.size() && !stopRequested) {
        const size_t size = std::min(deliverySize(random), transfer.size() - sent);
        if (!writeAll(master, transfer.data() + sent, size))
            return false;
        sent += size;
        drain(master);
        if (options.rate > 0)
            pauseFor(static_cast<double>(size) / options.rate);
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    Options options;
    if (!parse(argc, argv, options)) {
        usage(std::cerr);
        return 2;
    }

    std::string text = builtInSample;
    if (!options.file.empty() && !readFile(options.file, text)) {
        std::cerr << "tolvaren-sim: cannot read " << options.file << ": " << std::strerror(errno)
                  << '\n';
        return 1;
    }
    std::string transfer;
    if (options.raw) {
        transfer = text;
    } else if (!toInstrumentText(text, transfer)) {
        std::cerr << "tolvaren-sim: the text cannot be written in code page 866\n";
        return 1;
    }

    struct sigaction action
    {
    };
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    int master = -1;
    int slave = -1;
    char path[256] = {};
    if (openpty(&master, &slave, path, nullptr, nullptr) < 0) {
        std::cerr << "tolvaren-sim: no pseudo-terminal: " << std::strerror(errno) << '\n';
        return 1;
    }
    // Raw, so that the line passes bytes through unchanged even before the reader sets it up.
    termios settings {};
    tcgetattr(slave, &settings);
    cfmakeraw(&settings);
    cfsetspeed(&settings, B19200);
    tcsetattr(slave, TCSANOW, &settings);
    close(slave);

    std::cout << path << std::endl;

    std::mt19937 random(options.seed);
    int status = 0;
    for (long sentCount = 0; !stopRequested && (options.count == 0 || sentCount < options.count);
         ++sentCount) {
        if (sentCount > 0)
            pauseFor(options.pause);
        if (stopRequested || !waitForReader(master))
            break;
        if (!sendTransfer(master, transfer, options, random)) {
            std::cerr << "tolvaren-sim: write failed: " << std::strerror(errno) << '\n';
            status = 1;
            break;
        }
        std::cerr << "tolvaren-sim: sent a transfer of " << transfer.size() << " bytes\n";
    }
    // The line stays open, so that the reader sees no hang-up; a signal ends the wait.
    while (!options.exitWhenDone && !stopRequested) {
        pollfd fd { master, POLLIN, 0 };
        if (poll(&fd, 1, 1000) > 0 && (fd.revents & POLLIN))
            drain(master);
        else if (fd.revents & POLLHUP)
            pauseFor(0.5); // nobody has the line open: poll would not wait
    }
    close(master);
    return status;
}
