#pragma once

// The program's identity. It fixes where every default-constructed QSettings
// reads and writes (~/.config/clipnest.invalid/Clipnest.conf on Linux), so it
// must be applied before the first settings object is made.
namespace AppIdentity {

// "Clipnest", and the organization domain "clipnest.invalid": a name reserved
// never to resolve, so the settings folder cannot clash with anybody's real one.
void apply();

} // namespace AppIdentity
