#pragma once

// libmpv is opened at run time rather than linked: its two hundred libraries take the
// dynamic loader longer than everything else the program needs, and loaded on a thread
// they no longer stand between the process start and main(). The mpv_* functions the
// program calls are defined here and forward to the library once it is open, so the rest
// of the program uses the ordinary libmpv interface.
namespace MpvLibrary {

// Starts opening libmpv on a thread of its own and returns at once. Called early in
// main(), after the toolkit has loaded its own plugins (both take the loader's lock).
void loadInBackground();

} // namespace MpvLibrary
