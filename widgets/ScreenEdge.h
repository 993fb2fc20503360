#pragma once

// A side of a screen: the one a desktop panel holds, the one the record button docks at.
enum class Edge { Left, Top, Right, Bottom };
