// receive-link [--plain] PORT EXAMINEE-NUMBER: connects an archive link to
// 127.0.0.1:PORT and hands every arrival to an ArchiveReception, as the exam window's
// handler does, until the sender closes the connection. Drive D is $EXAMCLIENT_DRIVE_D.
// With --plain a blocking socket read in 64 KiB steps stands in for the link, which
// tells the reception's share of the time from the link's.
#include "archive/reception.h"
#include "archive/zipcomponent.h"
#include "net/serverlink.h"
#include "ui/qt/qteventloop.h"

#include <QCoreApplication>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int receivePlain(int port, const examclient::Text& examineeNumber)
{
    int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (socket < 0 || ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::fputs("receive-link: cannot connect\n", stderr);
        return 1;
    }
    examclient::ZipComponent component;
    examclient::ArchiveReception reception(component);
    examclient::Bytes buffer(65536);
    long arrivals = 0;
    for (;;) {
        ssize_t count = ::recv(socket, buffer.data(), buffer.size(), 0);
        if (count <= 0)
            break;
        ++arrivals;
        reception.receive(examclient::Bytes(buffer.begin(), buffer.begin() + count), examineeNumber);
    }
    ::close(socket);
    std::fprintf(stderr, "arrivals: %ld\n", arrivals);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--plain") == 0)
        return receivePlain(std::atoi(argv[2]), argv[3]);
    if (argc != 3) {
        std::fputs("usage: receive-link [--plain] PORT EXAMINEE-NUMBER\n", stderr);
        return 2;
    }
    QCoreApplication application(argc, argv);
    examclient::qt::installQtEventLoop();

    examclient::ZipComponent component;
    examclient::ArchiveReception reception(component);
    examclient::ServerLink link;
    examclient::Text examineeNumber = argv[2];
    long arrivals = 0;
    link.setDataArrivalHandler([&] {
        ++arrivals;
        reception.receive(link.receivedData(), examineeNumber);
    });
    link.setConnectionClosedHandler([&] { QCoreApplication::quit(); });
    if (!link.connect("127.0.0.1", std::atoi(argv[1]))) {
        std::fputs("receive-link: cannot connect\n", stderr);
        return 1;
    }
    QCoreApplication::exec();
    std::fprintf(stderr, "arrivals: %ld\n", arrivals);
    return 0;
}
