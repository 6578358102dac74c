// A test hook of the audio layer; not part of its public interface.
#pragma once

namespace bass::detail {

// Called on the thread that moves the decoder for a seek or restart, just
// before it does. Tests use it to see which thread that is; nullptr removes it.
using SeekHook = void (*)(void* context);
void SetSeekHook(SeekHook hook, void* context);

}  // namespace bass::detail
