"""Contrast threshold with two interleaved up-down staircases, written in Python.

The Python form of examples/contrast_staircase: a Gabor patch (wavelength 20 px, sigma 20 px)
is flashed for 200 ms on a mid-grey screen, its stripes vertical or horizontal at random, and
the observer reports the orientation. Two 1-up-2-down staircases in log10 steps (0.2, 0.1,
0.05) set the contrast, starting at 0.2 and 0.1; each stops after 12 reversals or 60 trials.
The trial is Python; the frame hold, the flip and the result file are C++.

Keys: space starts the run; V answers "vertical stripes", H "horizontal stripes"; Escape
stops early (the finished trials stay in <result file>.partial).
Output: ContrastStaircase_<date>_<time>.dat in the current folder. STIMORA_TRIALS sets each
staircase's trial limit.
Run: python3 contrast_staircase.py
"""
import os

import stimora

FIXATION_FRAMES, STIMULUS_FRAMES = 30, 12  # 500 ms and 200 ms at 60 Hz
VERTICAL, HORIZONTAL = 0, 90


class Stopped(Exception):
    """The observer pushed Escape."""


def showFixation(canvas, status):
    """One frame of the grey screen with the fixation mark and a status line."""
    canvas.clear(stimora.Color.gray)
    stimora.Rectangle(5, 5).centerAt(canvas).draw(stimora.Color.black, canvas)
    canvas.message(status, 10, 20, stimora.Color(0.3))
    canvas.flip()


class ContrastStaircase(stimora.Staircase):
    def declareVariables(self):
        # The staircases set the first independent variable and read the first dependent one.
        self.contrast = self.independentVariables.append(0.0).label("Contrast")
        self.correct = self.dependentVariables.append(0).label("Correct")
        self.orientation = self.dependentVariables.append(0).label("Orientation")
        self.answer = self.dependentVariables.append(0).label("Answer")
        self.headerNote = "Orientation and Answer: 0 = vertical stripes, 90 = horizontal"
        for start in (0.2, 0.1):
            track = stimora.Staircase.Track()
            track.start, track.steps, track.scale = start, [0.2, 0.1, 0.05], stimora.Staircase.Scale.log10
            track.down, track.up, track.maximum = 2, 1, 1.0
            track.reversals, track.averaged = 12, 8
            track.trials = int(os.environ.get("STIMORA_TRIALS") or 60)
            self.staircases.append(track)

    def runTrial(self):
        canvas = stimora.currentCanvas()
        self.orientation.value = VERTICAL if stimora.random(2) == 0 else HORIZONTAL
        status = f"trial {self.currentTrial}, at most {self.trialCount}"
        stimora.Keyboard.clear()
        for _ in range(FIXATION_FRAMES):
            showFixation(canvas, status)
        patch = stimora.QuickGabor(20.0, 20.0, self.contrast.value, self.orientation.value, 0.0)
        canvas.clear(stimora.Color.gray)
        patch.centerAt(canvas).draw(canvas)
        stimora.Rectangle(5, 5).centerAt(canvas).draw(stimora.Color.black, canvas)
        canvas.flip(STIMULUS_FRAMES)
        stimora.Keyboard.clear()
        while True:
            showFixation(canvas, status)
            if stimora.Keyboard.pushed(stimora.Keyboard.escape):
                raise Stopped()
            if stimora.Keyboard.pushed(stimora.Keyboard.v):
                self.answer.value = VERTICAL
                break
            if stimora.Keyboard.pushed(stimora.Keyboard.h):
                self.answer.value = HORIZONTAL
                break
        self.correct.value = int(self.answer.value == self.orientation.value)


stimora.startUp()
with stimora.Canvas(stimora.Canvas.fullscreen, stimora.Display.primary()):
    experiment = ContrastStaircase()
    try:
        experiment.run()
        print("Results written to", experiment.savedPath())
        for track in range(2):
            print(f"Staircase {track + 1}: threshold contrast {experiment.threshold(track):.4f}")
    except Stopped:
        print(f"Stopped at trial {experiment.currentTrial}; finished trials are in {experiment.journalPath()}")
