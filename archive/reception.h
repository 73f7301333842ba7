// The exam window's archive-link handler: every arrival is appended to the receive file
// "D:\e1\1.zip", and the arrivals of one connection are assembled into the examinee's
// archive, which is published as "D:\<examinee number>.zip" and extracted into
// "D:\<examinee number>" once, when its last byte has come. Every failure is silent.
#pragma once

#include "app/text.h"
#include "archive/filesystem.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace examclient {

class ZipComponent;

// One per archive-link connection: the window creates it when the link connects and
// drops it when the connection goes. The assembled bytes wait in a file next to the
// examinee's archive (on drive D); memory holds only the end records seen in the last
// 64 KiB, which the completion test needs.
class ArchiveReception final {
public:
    explicit ArchiveReception(ZipComponent& component);
    ArchiveReception(const ArchiveReception&) = delete;
    ArchiveReception& operator=(const ArchiveReception&) = delete;
    // An archive still incomplete is discarded (its bytes stay in the receive file).
    ~ArchiveReception();

    // Handles one dataArrival of the archive link.
    void receive(const Bytes& arrival, const Text& examineeNumber);

private:
    void append(const Bytes& arrival);
    void noteEndRecords(const Bytes& arrival);
    bool isComplete() const;
    void publish(const Text& examineeNumber);
    void discard();

    ZipComponent& m_component;
    std::optional<FileHandle> m_assembly;
    Text m_assemblyPath;
    std::uint64_t m_assembled = 0;
    // The last bytes received that may begin an end-of-central-directory record.
    Bytes m_carry;
    // End records seen, by the position where they and their comment end.
    using EndRecord = std::array<std::uint8_t, 22>;
    std::map<std::uint64_t, EndRecord> m_endRecords;
    // Set when assembling failed (drive D missing, disk full): a byte went missing, so
    // nothing more of this connection can be told apart as an archive.
    bool m_broken = false;
};

// The fixed receive file.
Text receiveFilePath();

// Appends one arrival to the receive file, creating its directory when missing.
void appendToReceiveFile(const Bytes& arrival);

// False for an examinee number that would put the archive or its files anywhere but in
// drive D's own examinee directory: empty, ".", or holding "\", "/", ":" or "..".
bool isSafeExamineeNumber(const Text& examineeNumber);

} // namespace examclient
