#pragma once

#include <pipewire/pipewire.h>

#include <memory>

// Owners of PipeWire's handles, written once for every side that opens them (the screen
// source and the tests' stand-in compositor).
namespace engine::pipewire {

struct ThreadLoopDeleter {
    void operator()(pw_thread_loop* l) const { pw_thread_loop_destroy(l); }
};
struct ContextDeleter {
    void operator()(pw_context* c) const { pw_context_destroy(c); }
};
struct CoreDeleter {
    void operator()(pw_core* c) const { pw_core_disconnect(c); }
};
struct RegistryDeleter {
    void operator()(pw_registry* r) const { pw_proxy_destroy(reinterpret_cast<pw_proxy*>(r)); }
};
struct StreamDeleter {
    void operator()(pw_stream* s) const { pw_stream_destroy(s); }
};

using ThreadLoopPtr = std::unique_ptr<pw_thread_loop, ThreadLoopDeleter>;
using ContextPtr = std::unique_ptr<pw_context, ContextDeleter>;
using CorePtr = std::unique_ptr<pw_core, CoreDeleter>;
using RegistryPtr = std::unique_ptr<pw_registry, RegistryDeleter>;
using StreamPtr = std::unique_ptr<pw_stream, StreamDeleter>;

} // namespace engine::pipewire
