#pragma once

// The dynamic loader serves one caller at a time, and opening libmpv keeps it busy for most
// of the start-up. What the GUI thread would otherwise ask of it on first use while the
// window is built (the image plugins behind the style's icons, the first thread-local
// object, new threads) is asked for here, before libmpv starts loading, so
// the window can go on beside it instead of waiting.
namespace LoaderWarmUp {

// Needs the QApplication. The OpenGL driver is left to the window: loaded here it would
// only delay libmpv, and while libmpv loads the player's core cannot start anyway.
void loadWhatTheWindowNeeds();

} // namespace LoaderWarmUp
