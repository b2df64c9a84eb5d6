#pragma once

namespace Stimora {

class Canvas;

/// The experiment: two rows of red and green bars moving or flashing around a fixation
/// square, with six variables the console changes live. Returns when Escape was pushed.
void movingBarRoutine(Canvas& canvas);

} // namespace Stimora
