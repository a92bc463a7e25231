#pragma once

#include "Class/RecordFile.h"
#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "Component/RecordFileName.h"
#include "Component/TVXCheckDir.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

// A database folder written straight through the record writer, for window
// tests and benches that need many records fast.
namespace sample {

struct RecordSpec {
    std::uint32_t serial = 0;
    std::string name;
    std::string surname = "Surname";
    std::uint8_t typeCode = 4;
    std::uint8_t idYear = 7;
    std::uint32_t idNumber = 0;
    int histories = 1;
    std::uint8_t imageFill = 0;  // every byte of each image
    // Images full of varied bytes whose event ring has wrapped: 992 events each.
    bool fullEventRing = false;
};

inline std::unique_ptr<TVXMowerLog> makeRecord(const RecordSpec& spec)
{
    auto record = std::make_unique<TVXMowerLog>();
    record->getOwner().setName(spec.name);
    record->getOwner().setSurname(spec.surname);
    record->setTypeCode(spec.typeCode);
    record->setIdYear(spec.idYear);
    record->setIdNumber(spec.idNumber);
    for (int h = 0; h < spec.histories; ++h) {
        TVXLog::Image image;
        image.fill(spec.imageFill);
        if (spec.fullEventRing) {
            std::uint32_t state = spec.serial * 2654435761u + static_cast<std::uint32_t>(h);
            for (auto& byte : image) {
                state = state * 1664525u + 1013904223u;
                byte = static_cast<std::uint8_t>(state >> 24);
            }
            image[28] |= 0x80;  // the ring has wrapped
        }
        auto log = std::make_unique<TVXLog>(image);
        log->setSerialNumber(spec.serial);
        log->setTypeByte(static_cast<std::uint8_t>(0x20 | spec.typeCode));
        log->setDate({static_cast<std::uint16_t>(2000 + h / 12), static_cast<std::uint8_t>(1 + h % 12), 1, 12, 0, 0});
        record->insertLog(std::move(log));
    }
    return record;
}

// Writes one record file per spec and a checker listing them in that order.
inline void writeFolder(const std::filesystem::path& dir, int count,
                        const std::function<RecordSpec(int)>& specOf)
{
    std::filesystem::create_directories(dir);
    std::string checker;
    for (int i = 0; i < count; ++i) {
        const RecordSpec spec = specOf(i);
        std::ofstream(dir / recordFileName(spec.serial), std::ios::binary) << writeRecordFile(*makeRecord(spec));
        checker += TVXCheckDir::EncodeEntry(spec.serial);
    }
    std::ofstream(dir / TVXCheckDir::DefaultFileName, std::ios::binary) << checker;
}

}  // namespace sample
