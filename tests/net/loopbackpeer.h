// The far end of a link in tests: a listener on 127.0.0.1 and the accepted connection,
// driven with plain blocking calls from the test.
#pragma once

#include "app/text.h"

#include <cstdint>
#include <string_view>

namespace examclient::test {

class LoopbackPeer final {
public:
    // Listens on 127.0.0.1 at `port`; 0 picks a free one.
    explicit LoopbackPeer(std::uint16_t port = 0);
    ~LoopbackPeer();
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    bool listening() const { return m_listener >= 0; }
    std::uint16_t port() const { return m_port; }

    // Takes the next connection (waits up to 10 s); false when none came.
    bool accept();
    bool hasConnection() const { return m_connection >= 0; }

    bool write(const Bytes& bytes);
    bool write(std::string_view text);
    // Reads until `count` bytes came or 10 s passed.
    Bytes read(std::size_t count);
    // True when the link closed its end within 10 s: end of stream, or a reset when the
    // link closed with bytes unread.
    bool seesLinkClose();
    // Closes the connection in order, or with a reset (linger 0).
    void close();
    void reset();

private:
    int m_listener = -1;
    int m_connection = -1;
    std::uint16_t m_port = 0;
};

// A port on 127.0.0.1 where nobody listens (bound once, then released).
std::uint16_t unusedPort();

} // namespace examclient::test
