#pragma once

// Shared by the SDL sources of the platform half (window, displays, input); not part of the
// framework's interface. Declares SDL's window type without including SDL.

struct SDL_Window;

namespace Stimora {

/// Starts SDL's video once per process (the stand-in for registering the window class):
/// no signal handlers of SDL's own, no text-input events. False when it cannot start.
bool platformStartVideo();
/// Stamps key and button transitions as SDL queues them (once events run; safe to repeat).
void platformStampInput();
/// Keeps every kind of event the pump never reads (pointer moves, wheel, touch...) out of
/// SDL's queue.
void platformIgnoreUnreadEvents();
/// The virtual-key code of an SDL scancode, and the shared one of a doubled modifier.
void platformScancodeCodes(int scancode, int& own, int& shared);
/// From the first canvas on: SIGINT, SIGTERM and SIGHUP (unless ignored) are noted for
/// platformHonourSignals while a canvas is open, and act at once while none is; a second one
/// while the first waits ends the process. Fatal signals hand the display to the gamma
/// guardian, then act as before.
void platformInstallSignalHandlers();
/// After SIGINT, SIGTERM or SIGHUP: releases every canvas and exits with 128 + the signal.
/// Run by every pump step, input sample and swap.
void platformHonourSignals();
///@{
/// While the program waits on the user (a message box), stop signals end it at once.
void platformWaitingOnUser(bool waiting);
/// Counts the canvases open, for the signal handlers (which may not look at the list).
void platformCanvasOpened();
void platformCanvasClosed();
///@}
/// The window of the earliest live canvas, or null while none exists.
SDL_Window* platformCanvasWindow();
/// Makes an OpenGL context (SDL_GLContext) for window, current afterwards, that shares its
/// objects with every live canvas's context; null when it cannot be made.
void* platformCreateContext(SDL_Window* window);
/// Deletes a context made by platformCreateContext; none is current afterwards.
void platformDeleteContext(SDL_Window* window, void* context);

} // namespace Stimora
