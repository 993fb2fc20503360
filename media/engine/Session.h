#pragma once

namespace engine {
class Session {
public:
    virtual ~Session() = default;
};
} // namespace engine
