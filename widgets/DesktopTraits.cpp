#include "widgets/DesktopTraits.h"

namespace DesktopTraits {

namespace {

struct Probes {
    std::function<bool()> blends;
    std::function<bool()> places;
};

Probes& probes() {
    static Probes installed;
    return installed;
}

} // namespace

void setProbes(std::function<bool()> blendsWindows, std::function<bool()> placesWindows) {
    probes() = {std::move(blendsWindows), std::move(placesWindows)};
}

bool blendsWindows() {
    return !probes().blends || probes().blends();
}

bool placesWindows() {
    return !probes().places || probes().places();
}

} // namespace DesktopTraits
