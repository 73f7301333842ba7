// The program's global allocation functions. Memory that cannot be had for a text, a
// byte buffer or an array ends the program with the fatal run-time error instead of an
// exception that no handler expects. Linked into the program only: tests and tools keep
// the standard allocator. Every allocation comes from malloc and goes back to free, so
// sanitizers see matching pairs. Over-aligned types, which the program does not use,
// keep the library's own aligned functions, a matching pair of their own.
#include "app/fatal.h"

#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

// Set while the error for a failed allocation is being raised. Showing it needs a little
// memory; when even that fails there is no box to show, only the exit code.
bool reportingFailure = false;

// A test hook: EXAMCLIENT_TEST_ALLOCATION_LIMIT=N makes every request above N bytes
// fail, so that a test can watch the real program meet a failed allocation. Read once;
// getenv does not allocate.
std::size_t allocationLimit()
{
    static const std::size_t limit = [] {
        const char* text = std::getenv("EXAMCLIENT_TEST_ALLOCATION_LIMIT");
        return text && *text ? static_cast<std::size_t>(std::strtoull(text, nullptr, 10)) : SIZE_MAX;
    }();
    return limit;
}

void* allocate(std::size_t size)
{
    for (;;) {
        void* memory = size <= allocationLimit() || reportingFailure ? std::malloc(size ? size : 1) : nullptr;
        if (memory)
            return memory;
        if (std::new_handler handler = std::get_new_handler()) {
            handler();
            continue;
        }
        if (reportingFailure)
            std::_Exit(-1);
        reportingFailure = true;
        examclient::allocationFailed(size);
    }
}

void* allocateOrNull(std::size_t size) noexcept
{
    return std::malloc(size ? size : 1);
}

} // namespace

void* operator new(std::size_t size)
{
    return allocate(size);
}

void* operator new[](std::size_t size)
{
    return allocate(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return allocateOrNull(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return allocateOrNull(size);
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, std::size_t) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, const std::nothrow_t&) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, const std::nothrow_t&) noexcept
{
    std::free(memory);
}
