#include "sim/SimOptions.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// On standard output when asked for (--help), on the error output after a mistake.
void usage(std::FILE* out)
{
    std::fputs(
        "usage: quorvane-mowersim [OPTIONS]\n"
        "Opens a pseudo-terminal, prints the path of the application's side, and answers as a mower.\n"
        "  --serial HEX --type HEX --sw-version HEX --bootloader HEX --head HEX12   info frame fields\n"
        "  --image FILE.bin       image (8192 bytes) or frame and image (8208 bytes)\n"
        "  --events N             events in the generated image (default 40)\n"
        "  --no-pacing            send at once instead of at 38400 baud\n"
        "  --record-gap-ms MS     silence that ends a programming record (default 3)\n"
        "  --log FILE             write the commands and records received to FILE\n"
        "  --dump FILE            write the frame and image served (8208 bytes) to FILE\n"
        "  --exit-after SECONDS   stop after this long (default 120)\n"
        "faults:\n"
        "  --no-echo --echo-byte HEX --keep-talking --info-length N --chunk N\n"
        "  --pause-after N --pause-ms MS --no-history --nak-record N\n"
        "  --bad-answer-record N --bad-answer-byte HEX --no-sync\n"
        "  --die-after-bytes N    vanish (kill itself) once N image bytes are on the line\n"
        "  --die-at-record N      vanish on receiving programming record N, before answering\n"
        "HEX values are hexadecimal, with or without 0x (04D3E40A, 0x04D3E40A); N, MS and SECONDS decimal.\n",
        out);
}

// base 16 takes an optional 0x; a sign or blanks are refused in both bases.
bool number(const char* text, unsigned long& value, unsigned long max, int base)
{
    if (!std::isxdigit(static_cast<unsigned char>(text[0])))
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoul(text, &end, base);
    return errno == 0 && end != text && *end == '\0' && value <= max;
}

}  // namespace

std::optional<SimOptions> parseSimOptions(int argc, char** argv)
{
    SimOptions o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        unsigned long n = 0;
        auto takeNumber = [&](unsigned long max) {
            if (!value || !number(value, n, max, 10)) {
                std::fprintf(stderr, "quorvane-mowersim: %s needs a decimal number up to %lu\n", arg.c_str(), max);
                return false;
            }
            ++i;
            return true;
        };
        auto takeHex = [&](unsigned long max) {
            if (!value || !number(value, n, max, 16)) {
                std::fprintf(stderr, "quorvane-mowersim: %s needs a hexadecimal number up to %lX\n", arg.c_str(), max);
                return false;
            }
            ++i;
            return true;
        };
        if (arg == "--no-pacing") o.pacing = false;
        else if (arg == "--no-echo") o.noEcho = true;
        else if (arg == "--keep-talking") o.keepTalking = true;
        else if (arg == "--no-history") o.noHistory = true;
        else if (arg == "--no-sync") o.noSync = true;
        else if (arg == "--image" && value) { o.imageFile = value; ++i; }
        else if (arg == "--log" && value) { o.receivedLog = value; ++i; }
        else if (arg == "--dump" && value) { o.dumpFile = value; ++i; }
        else if (arg == "--head" && value) { o.headHex = value; ++i; }
        else if (arg == "--serial") { if (!takeHex(0xFFFFFFFFul)) return {}; o.serialNumber = std::uint32_t(n); }
        else if (arg == "--sw-version") { if (!takeHex(0xFFFFFFFFul)) return {}; o.softwareVersion = std::uint32_t(n); }
        else if (arg == "--type") { if (!takeHex(0xFF)) return {}; o.typeByte = std::uint8_t(n); }
        else if (arg == "--bootloader") { if (!takeHex(0xFF)) return {}; o.bootloader = std::uint8_t(n); }
        else if (arg == "--echo-byte") { if (!takeHex(0xFF)) return {}; o.echoByte = std::uint8_t(n); }
        else if (arg == "--bad-answer-byte") { if (!takeHex(0xFF)) return {}; o.badAnswerByte = std::uint8_t(n); }
        else if (arg == "--events") { if (!takeNumber(992)) return {}; o.generatedEvents = int(n); }
        else if (arg == "--info-length") { if (!takeNumber(256)) return {}; o.infoLength = int(n); }
        else if (arg == "--chunk") { if (!takeNumber(8192) || n == 0) return {}; o.chunk = int(n); }
        else if (arg == "--pause-after") { if (!takeNumber(8191)) return {}; o.pauseAfter = int(n); }
        else if (arg == "--pause-ms") { if (!takeNumber(60000)) return {}; o.pauseMs = int(n); }
        else if (arg == "--nak-record") { if (!takeNumber(1000000)) return {}; o.nakRecord = int(n); }
        else if (arg == "--bad-answer-record") { if (!takeNumber(1000000)) return {}; o.badAnswerRecord = int(n); }
        else if (arg == "--die-after-bytes") { if (!takeNumber(8191)) return {}; o.dieAfterImageBytes = int(n); }
        else if (arg == "--die-at-record") { if (!takeNumber(1000000)) return {}; o.dieAtRecord = int(n); }
        else if (arg == "--record-gap-ms") { if (!takeNumber(1000)) return {}; o.recordGapMs = double(n); }
        else if (arg == "--exit-after") { if (!takeNumber(86400)) return {}; o.exitAfterSeconds = double(n); }
        else if (arg == "--help") {
            usage(stdout);
            o.helpShown = true;
            return o;
        } else {
            std::fprintf(stderr, "quorvane-mowersim: unknown or incomplete option '%s'\n", arg.c_str());
            usage(stderr);
            return {};
        }
    }
    return o;
}
