#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "windows/about_window.h"
#include "windows/main_window.h"
#include "windows/splash_window.h"

/// The windows that live until the program ends. The about window is a child of
/// the main window, so it must go first: members go in reverse order, and `release`
/// keeps that order where the struct is emptied by hand.
struct ProgramWindows {
    std::unique_ptr<MainWindow> main_window;
    std::unique_ptr<AboutWindow> about_window;

    void release()
    {
        about_window.reset();
        main_window.reset();
    }
};

/// Start-up steps a caller may watch (tests do) as they are taken.
enum class StartupStep {
    splash_shown,      // the splash window exists and was asked to show
    splash_painted,    // it was drawn, just before the pause
    pause_done,        // the splash pause is over
    title_set,         // the application title is set
    main_created,      // the main window exists (its creation work is done)
    about_created,     // the about window exists, hidden
    photo_opened,      // the photo named at start-up is open in the hidden main window
    splash_destroyed,  // the splash window is gone
};

struct StartupOptions {
    std::chrono::milliseconds splash_pause{2000};  // with no photo to open
    /// With a photo, the splash stays as long as opening it takes, and at least this
    /// long from when it was painted, so that it is seen rather than flashed.
    std::chrono::milliseconds least_splash_with_photo{300};
    /// A photo to open (from the command line): decoded, measured and corrected while
    /// the splash shows, so the main window comes up showing it.
    std::optional<std::string> photo;
    std::function<void(std::chrono::milliseconds)>
        sleep_for;  // the event thread's sleep; empty: a real sleep
    std::function<void(StartupStep, SplashWindow*)>
        on_step;              // the splash window while it exists, else nullptr
    int pixels_per_inch = 0;  // of a layout pixel, for the main window's captions; 0: the screen's
};

/// Process settings that must precede the application object: the windows
/// are laid out in fixed logical pixels and scaled by the desktop's exact factor.
void prepare_platform();

/// Loads the skin's resources and stand-in fonts; needs the application object.
void prepare_resources();

/// The entry block up to the event loop: shows and paints the splash window,
/// pauses (with no photo to open), sets the application title, creates the main
/// window (which runs its creation work) and the hidden about window, opens the
/// photo if there is one and keeps the splash up to its least time, and destroys
/// the splash window. The caller then shows the main window and runs the event loop.
ProgramWindows start_program(const StartupOptions& options = {});

/// Shows the main window (centred) and runs the event loop until it closes.
int run_program(ProgramWindows& windows);
