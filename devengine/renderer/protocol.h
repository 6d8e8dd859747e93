// How the browser process starts a renderer and talks to it: the switches
// it is started with, and the pipe's frames (pipe/frame.h) carrying the
// messages of pipe_messages.h and process messages.
#ifndef NIMBRA_DEVENGINE_RENDERER_PROTOCOL_H
#define NIMBRA_DEVENGINE_RENDERER_PROTOCOL_H

#include <string_view>

#include "pipe/frame.h"
#include "pipe_messages.h"

namespace devengine::renderer {

// The switches a renderer is started with, beside --type=renderer.
inline constexpr std::wstring_view kChannelSwitch = L"renderer-channel";
inline constexpr std::wstring_view kBrowserIdSwitch = L"renderer-browser-id";

// The renderer's side and its host speak in whole messages of the pipe.
using pipe::Message;
using pipe::MessageKind;

}  // namespace devengine::renderer

#endif
