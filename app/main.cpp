// The moving-bar program: takes over the screen, shows the bars until Escape, exit code 0.
// Every failure that escapes start-up or the main routine is shown in one notification box.

#include "EntryPoint.h"
#include "MainRoutine.h"

int main(int argc, char** argv) {
    return Stimora::runEntryPoint(argc, argv, Stimora::mainRoutine);
}
