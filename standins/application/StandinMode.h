#pragma once

// How the application misbehaves for a test, from AV_STANDIN_MODE:
// "ignore-close" ignores WM_CLOSE; "hang" stops answering messages once its
// window is shown. Anything else: a well-behaved application.
enum class StandinMode { Normal, IgnoreClose, Hang };

StandinMode ReadStandinMode();
