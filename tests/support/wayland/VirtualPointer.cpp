// A pointer for the tests on the headless Wayland desktop, which has no input device: sway
// moves its cursor on `seat - cursor` commands but, without a pointer device, tells no client.
// This adds a virtual pointer (wlr-virtual-pointer-unstable-v1, which sway offers) and reads
// commands on standard input, one per line, answering "ok" once the compositor has them:
//   move X Y W H     the pointer to X,Y of a layout W x H (logical units)
//   press N          button N (1 left, 2 middle, 3 right) down
//   release N        and up
// The protocol's interfaces are declared here by hand, as the scanner would, because its
// description is not packaged with the system's Wayland protocols.
#include <wayland-client.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

namespace {

extern const wl_interface virtualPointerInterface;

const wl_interface* const kManagerCreateTypes[] = {&wl_seat_interface, &virtualPointerInterface};
const wl_interface* const kNoTypes[] = {nullptr, nullptr, nullptr, nullptr, nullptr};

// Requests in the protocol's order: their index is their opcode.
const wl_message kManagerRequests[] = {
    {"create_virtual_pointer", "?on", const_cast<const wl_interface**>(kManagerCreateTypes)},
    {"destroy", "", const_cast<const wl_interface**>(kNoTypes)},
};
const wl_interface managerInterface = {
    "zwlr_virtual_pointer_manager_v1", 1, 2, kManagerRequests, 0, nullptr};

enum PointerRequest : uint32_t {
    Motion,
    MotionAbsolute,
    Button,
    Axis,
    Frame,
    AxisSource,
    AxisStop,
    AxisDiscrete,
    Destroy
};
const wl_message kPointerRequests[] = {
    {"motion", "uff", const_cast<const wl_interface**>(kNoTypes)},
    {"motion_absolute", "uuuuu", const_cast<const wl_interface**>(kNoTypes)},
    {"button", "uuu", const_cast<const wl_interface**>(kNoTypes)},
    {"axis", "uuf", const_cast<const wl_interface**>(kNoTypes)},
    {"frame", "", const_cast<const wl_interface**>(kNoTypes)},
    {"axis_source", "u", const_cast<const wl_interface**>(kNoTypes)},
    {"axis_stop", "uu", const_cast<const wl_interface**>(kNoTypes)},
    {"axis_discrete", "uufi", const_cast<const wl_interface**>(kNoTypes)},
    {"destroy", "", const_cast<const wl_interface**>(kNoTypes)},
};
const wl_interface virtualPointerInterface = {"zwlr_virtual_pointer_v1", 1, 9,
                                              kPointerRequests,          0, nullptr};

// Linux input event codes of the mouse buttons.
constexpr uint32_t kButtonCodes[] = {0x110, 0x112, 0x111}; // left, middle, right

struct DisplayCloser {
    void operator()(wl_display* d) const { wl_display_disconnect(d); }
};
struct ProxyDestroyer {
    void operator()(wl_proxy* p) const { wl_proxy_destroy(p); }
};

wl_proxy* manager = nullptr;

void onGlobal(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    if (std::strcmp(interface, managerInterface.name) == 0)
        manager = static_cast<wl_proxy*>(wl_registry_bind(registry, name, &managerInterface, 1));
}
void onGlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistryListener = {onGlobal, onGlobalRemove};

uint32_t now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return uint32_t(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

} // namespace

int main() {
    std::unique_ptr<wl_display, DisplayCloser> display(wl_display_connect(nullptr));
    if (!display) {
        std::fprintf(stderr, "virtual-pointer: no Wayland display\n");
        return 1;
    }
    std::unique_ptr<wl_proxy, ProxyDestroyer> registry(
        reinterpret_cast<wl_proxy*>(wl_display_get_registry(display.get())));
    wl_registry_add_listener(reinterpret_cast<wl_registry*>(registry.get()), &kRegistryListener,
                             nullptr);
    wl_display_roundtrip(display.get());
    if (!manager) {
        std::fprintf(stderr, "virtual-pointer: the compositor offers no virtual pointers\n");
        return 1;
    }
    std::unique_ptr<wl_proxy, ProxyDestroyer> managerOwner(manager);
    std::unique_ptr<wl_proxy, ProxyDestroyer> pointer(
        wl_proxy_marshal_constructor(manager, 0, &virtualPointerInterface, nullptr, nullptr));
    wl_display_roundtrip(display.get());
    std::cout << "ready" << std::endl;

    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        if (command == "move") {
            uint32_t x = 0, y = 0, w = 0, h = 0;
            words >> x >> y >> w >> h;
            wl_proxy_marshal(pointer.get(), MotionAbsolute, now(), x, y, w, h);
        } else if (command == "press" || command == "release") {
            unsigned n = 0;
            words >> n;
            if (n < 1 || n > 3) {
                std::cout << "bad button" << std::endl;
                continue;
            }
            wl_proxy_marshal(pointer.get(), Button, now(), kButtonCodes[n - 1],
                             command == "press" ? 1u : 0u);
        } else {
            std::cout << "unknown command" << std::endl;
            continue;
        }
        wl_proxy_marshal(pointer.get(), Frame);
        if (wl_display_roundtrip(display.get()) < 0) {
            std::fprintf(stderr, "virtual-pointer: the compositor went away\n");
            return 1;
        }
        std::cout << "ok" << std::endl;
    }
    wl_proxy_marshal(pointer.get(), Destroy);
    wl_display_roundtrip(display.get());
    return 0;
}
