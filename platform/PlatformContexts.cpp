// The OpenGL contexts of the live canvases, made to share one set of objects (textures,
// display lists), so that a figure cached through one canvas draws on every other.

#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "Platform.h"
#include "PlatformVideo.h"

namespace Stimora {

namespace {

struct LiveContext {
    SDL_Window* window;
    SDL_GLContext context;
};

// Oldest first; every one shares the objects of the first.
std::vector<LiveContext>& liveContexts() {
    static std::vector<LiveContext> contexts;
    return contexts;
}

// The set shared now (0 while no context lives), and the last number given to a set.
std::uint64_t liveSet = 0;
std::uint64_t lastSet = 0;

} // namespace

void* platformCreateContext(SDL_Window* window) {
    auto& live = liveContexts();
    live.reserve(live.size() + 1);
    // A context shares with the one current while it is made.
    const bool share = !live.empty();
    if (share && SDL_GL_MakeCurrent(live.front().window, live.front().context) != 0)
        return nullptr;
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, share ? 1 : 0);
    SDL_GLContext context = SDL_GL_CreateContext(window);
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
    if (context == nullptr)
        return nullptr;
    if (!share)
        liveSet = ++lastSet;
    live.push_back({window, context});
    return context;
}

void platformDeleteContext(SDL_Window* window, void* context) {
    auto& live = liveContexts();
    live.erase(std::remove_if(live.begin(), live.end(),
                              [context](const LiveContext& entry) { return entry.context == context; }),
               live.end());
    SDL_GL_MakeCurrent(window, nullptr);
    SDL_GL_DeleteContext(context);
    // The objects lived as long as one context did.
    if (live.empty())
        liveSet = 0;
}

std::uint64_t platformObjectSet() {
    return liveSet;
}

bool platformReachObjectSet(std::uint64_t set) {
    if (set == 0 || set != liveSet)
        return false;
    // Every live context shares the set: any one current will do.
    if (SDL_GL_GetCurrentContext() != nullptr)
        return true;
    const LiveContext& oldest = liveContexts().front();
    return SDL_GL_MakeCurrent(oldest.window, oldest.context) == 0;
}

} // namespace Stimora
