#pragma once

#include <functional>

namespace tarvo {

// Runs a function later on the window's thread. It is called from the audio
// thread too, so it must be safe to call from any thread.
using Poster = std::function<void(std::function<void()>)>;

}  // namespace tarvo
