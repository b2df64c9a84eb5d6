"""A field of drifting Gabor patches under the variable console, written in Python.

The Python form of examples/drifting_gratings: one hundred Gabor patches (sigma 16 px) at
random places and orientations drift on a grey screen. Every frame, one numpy array gives all
hundred patches their new phase in one call, and the batch goes to the graphics card in one
draw call. Three variables set the display: contrast, wavelength and speed (cycles per s).

Keys: Up / Down select a variable; Right / Left step it through its levels; a click on a bar
sets it; Escape ends the demo.
Run: python3 drifting_gratings.py
"""
import math

import numpy as np
import stimora

COUNT = 100


class DriftingGratings(stimora.Demo):
    def declareVariables(self):
        add = self.independentVariables.append
        self.contrast = add(0.5).label("Contrast").range(stimora.Interval(0.0, 1.0))
        self.wavelength = add(16.0).label("Wavelength").range(stimora.Interval(4.0, 48.0))
        self.speed = add(2.0).label("Speed").range(stimora.Interval(0.0, 8.0))
        for level in (0.1, 0.25, 0.5, 1.0):
            self.contrast.level(level)
        for level in (8.0, 16.0, 24.0, 48.0):
            self.wavelength.level(level)
        for level in (0.0, 1.0, 2.0, 4.0, 8.0):
            self.speed.level(level)

    def runTrial(self):  # the frame loop: the patches are laid out once, each frame sets numbers
        canvas = stimora.currentCanvas()
        gabor = stimora.ProceduralGabor(self.wavelength.value, 16.0, self.contrast.value, 0.0, 0.0)
        size = gabor.getWidth()
        field = stimora.PatchBatch(COUNT)
        for _ in range(COUNT):
            gabor.setOrientation(stimora.Angle.fromDegrees(stimora.random(180.0)))
            field.add(gabor.patchAt(int(stimora.random(canvas.getWidth() - size)),
                                    int(stimora.random(canvas.getHeight() - size))))
        phases = np.zeros(COUNT)
        while not stimora.Keyboard.pushed(stimora.Keyboard.escape):
            phases += 2.0 * math.pi * self.speed.value * canvas.getFramePeriod() / 1000.0
            np.fmod(phases, 2.0 * math.pi, out=phases)
            field.set("phase", phases)
            field.set("wavelength", self.wavelength.value)
            field.set("contrast", self.contrast.value)
            canvas.clear(stimora.Color(0.5))
            field.draw(canvas)
            canvas.flip()


stimora.startUp()
with stimora.Canvas(stimora.Canvas.fullscreen, stimora.Display.primary()):
    demo = DriftingGratings()
    demo.run()
    del demo  # before the canvas closes: the demo takes its console out of the overlay
