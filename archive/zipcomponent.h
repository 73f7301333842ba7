// The ZIP component: unpacks a ZIP archive file into a directory, raising its progress
// event between entries. The exam window holds one and asks it to extract after every
// archive arrival.
#pragma once

#include "app/text.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace examclient {

// Component event 1: the percentage done, 0 to 100. A handler's value false cancels
// the extraction after the entry just handled; no value, or true, goes on.
using ExtractProgressSink = std::function<std::optional<bool>(int percent)>;

// Why the last extract gave something other than 1, in words for an operator.
enum class ExtractFailure {
    None,
    AbsentArgument,
    ArchiveMissing,
    TargetNotCreatable,
    NotRecognised,
    CannotOpen,
    CannotCount,
    UnsafeName,
    DirectoryNotCreatable,
    FileNotWritten,
};

class ZipComponent final {
public:
    // The component raises its event only while it has a window: the window sets the
    // sink when it is created and clears it when it goes.
    void setProgressSink(ExtractProgressSink sink) { m_sink = std::move(sink); }
    void clearProgressSink() { m_sink = nullptr; }
    bool hasWindow() const { return static_cast<bool>(m_sink); }

    // 1: every readable entry handled (the leading run of readable entries), or a
    // cancel. 0: the target directory cannot be created, the file is no ZIP archive or
    // cannot be opened or counted, an entry's name would leave the target directory, or
    // an entry cannot be created or written in full. -1: an argument is empty, or
    // nothing exists at archivePath. Paths are Windows paths in GBK.
    int extract(const Text& archivePath, const Text& targetDirectory);

    ExtractFailure lastFailure() const { return m_lastFailure; }
    // One line on the last failure for an operator, in UTF-8: plain words and the
    // entry's name.
    const std::string& lastFailureReason() const { return m_lastReason; }

private:
    struct Progress {
        int total = 0;
        int current = 0;
        bool cancelled = false;
    };
    void raiseProgress(Progress& progress);
    int failureEnd(Progress& progress, int result, ExtractFailure failure, std::string reason);

    ExtractProgressSink m_sink;
    // Expires with the component, for a handler that destroys it mid-extraction.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    ExtractFailure m_lastFailure = ExtractFailure::None;
    std::string m_lastReason;
};

// Appends "\" unless the text's last character is "\"; characters counted in GBK.
void ensureTrailingBackslash(Text& path);

// Creates every missing directory along a "\"-separated Windows path, testing each
// prefix for existence first; false at the first directory that cannot be created.
bool createDirectoryPath(const Text& path);

// The recognition test: the file's first 32 bytes begin with a local-header signature
// and the signed 32-bit value at offset 24 is at least 1.
bool looksLikeZipArchive(const Text& archivePath);

} // namespace examclient
