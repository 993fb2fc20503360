#pragma once

// Plain value types and constants shared by the engine's front end and its threads.

// Time between two pictures of a recording: 20 pictures a second is smooth enough for the
// pointer and text a screen recording shows, and leaves the encoder room on a two-core machine.
constexpr int kPicturePeriodMs = 50;
