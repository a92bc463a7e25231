#pragma once

#include <cstdint>
#include <optional>
#include <string>

// What the simulated mower says about itself and which faults it shows.
struct SimOptions {
    // Info frame fields (an image file of 8208 bytes brings its own frame;
    // a field given here overrides it).
    std::optional<std::uint32_t> serialNumber;
    std::optional<std::uint8_t> typeByte;
    std::optional<std::uint32_t> softwareVersion;
    std::optional<std::uint8_t> bootloader;
    std::optional<std::string> headHex;  // six bytes as 12 hex digits

    std::string imageFile;  // .bin of 8208 bytes (frame + image) or 8192 bytes (image)
    int generatedEvents = 40;

    bool helpShown = false;     // --help: the options were printed, nothing to serve
    bool pacing = true;         // 38400 baud on the line
    double recordGapMs = 3.0;   // silence that ends a programming record
    double exitAfterSeconds = 120.0;
    std::string receivedLog;    // file listing the commands and records received
    std::string dumpFile;       // file receiving the frame and image served (8208 bytes)

    // Faults.
    bool noEcho = false;
    std::optional<std::uint8_t> echoByte;
    bool keepTalking = false;
    std::optional<int> infoLength;
    int chunk = 8192;           // image bytes sent per 'H'
    int pauseAfter = -1;        // image byte before which the mower pauses
    int pauseMs = 0;
    bool noHistory = false;
    int nakRecord = 0;          // 1-based record number answered with NAK
    int badAnswerRecord = 0;
    std::uint8_t badAnswerByte = 0x41;
    bool noSync = false;
    // The mower goes away (the process kills itself, as a cable pulled or a
    // mower switched off): once this many image bytes are on the line, or on
    // receiving this programming record (1-based) before it answers.
    int dieAfterImageBytes = -1;
    int dieAtRecord = 0;
};

// Parses the command line; prints the reason and returns nothing when it is wrong.
std::optional<SimOptions> parseSimOptions(int argc, char** argv);
