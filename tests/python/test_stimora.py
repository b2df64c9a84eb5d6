"""The Python module on the virtual display: drawing read back, a staircase written in Python
run to its end and analysed, an exception in a trial method unwinding to the caller, and a
profile's units, a sound and a trigger sent at a flip."""
import gc
import math
import os
import socket
import subprocess
import sys
import weakref

import numpy as np
import pytest
import stimora

OUTPUT = os.environ.get("STIMORA_TEST_OUTPUT", ".")


def gammaOfScreen():
    """The gamma xrandr reads back from the output's ramp."""
    lines = subprocess.run(["xrandr", "--verbose"], capture_output=True, text=True).stdout
    return [line.split(":", 1)[1].strip() for line in lines.splitlines() if line.strip().startswith("Gamma:")][0]


def test_draws_and_reads_pixels_back_through_numpy_without_copies():
    stimora.startUp()
    with stimora.Canvas(stimora.Canvas.window, stimora.Display.primary()) as canvas:
        canvas.clear(stimora.Color.black)
        edges = np.array([[0, 0, 9, 4], [10, 5, 19, 9]], dtype=float)
        canvas.rect(edges, np.array([[1.0, 0.0, 0.0], [0.0, 0.0, 1.0]]))
        shot = stimora.Image(20, 10, stimora.Image.RGB, stimora.Image.BYTE)
        canvas.capture(shot, stimora.Rectangle(0, 0, 19, 9))
        pixels = shot.array()
        assert pixels.shape == (10, 20, 3)
        assert (pixels[0:5, 0:10] == [255, 0, 0]).all() and (pixels[5:10, 10:20] == [0, 0, 255]).all()
        assert (pixels[0:5, 10:20] == 0).all() and (pixels[5:10, 0:10] == 0).all()

    # Round trips: exact, and the views share the image's memory (rows padded, stored bottom-up).
    rng = np.random.default_rng(1)
    for values in (rng.integers(0, 256, (7, 5, 3), dtype=np.uint8), rng.random((7, 5, 4)).astype(np.float32),
                   rng.integers(0, 256, (3, 6), dtype=np.uint8)):
        image = stimora.Image.fromArray(values)
        view = image.array()
        assert view.dtype == values.dtype and np.array_equal(view, values)
        assert np.shares_memory(view, image.array())
        view[0, 1] = values[2, 2]
        assert np.array_equal(image.array()[0, 1], values[2, 2])
    matrix = stimora.Matrix(np.arange(6.0).reshape(2, 3))
    assert matrix.at(2, 3) == 5.0 and np.shares_memory(np.asarray(matrix), np.asarray(matrix))


class SimulatedObserver(stimora.Staircase):
    """Sees vertical or horizontal stripes when the contrast is above 0.05, else guesses."""

    failAt = None

    def declareVariables(self):
        self.contrast = self.independentVariables.append(0.0).label("Contrast")
        self.correct = self.dependentVariables.append(0).label("Correct")
        self.fileTemplate = os.path.join(OUTPUT, "%EXPNAME__%TIME_.dat")
        track = stimora.Staircase.Track()
        track.start, track.steps, track.scale = 0.4, [0.2, 0.1], stimora.Staircase.Scale.log10
        track.maximum, track.reversals, track.trials = 1.0, 6, 40
        self.staircases.append(track)

    def waitForStart(self):
        pass

    def runTrial(self):
        if self.currentTrial == self.failAt:
            raise ValueError("observer left")
        patch = stimora.QuickGabor(20.0, 10.0, self.contrast.value, 0.0, 0.0)
        canvas = stimora.currentCanvas()
        canvas.clear(stimora.Color.gray)
        patch.centerAt(canvas).draw(canvas)
        canvas.flip()
        self.correct.value = 1 if self.contrast.value > 0.05 or stimora.random(2) == 0 else 0


def test_staircase_subclass_runs_to_its_end_and_its_result_file_analyses():
    stimora.seed(7)
    with stimora.Canvas(stimora.Canvas.window, stimora.Display.primary()):
        observer = SimulatedObserver()
        observer.run()
        result = observer.savedPath()
    assert os.path.basename(result).startswith("SimulatedObserver_")
    table = stimora.Analysis.ResultTable.read(result)
    assert table.procedure() == stimora.Analysis.ResultTable.Procedure.staircase
    assert len(table.trials()) == len(observer.trackOfTrial()) > 6
    assert 0.0 < observer.threshold(0) < 0.4
    written = subprocess.run([os.environ["STIMORA_ANALYZE"], "--bootstrap", "50", result], capture_output=True,
                             text=True, check=True).stdout.split()
    assert any(name.endswith(".png") and os.path.getsize(name) > 0 for name in written)


def test_exception_in_a_trial_unwinds_to_the_caller_and_the_display_is_restored():
    desktop = gammaOfScreen()
    observer = SimulatedObserver()
    observer.failAt = 3
    with pytest.raises(ValueError, match="observer left"):
        with stimora.Canvas(stimora.Canvas.window, stimora.Display.primary()) as canvas:
            canvas.setGammaValue(2.0, 2.0, 2.0)
            assert gammaOfScreen() != desktop
            observer.run()
    assert not canvas.isInitialized() and gammaOfScreen() == desktop
    with open(observer.journalPath()) as journal:
        assert len(journal.read().splitlines()) == 4 + 2  # header lines, then the two finished trials
    with pytest.raises(stimora.Exception) as raised:
        stimora.Rectangle(-1.0, 5.0)
    assert raised.value.kind == "SIZE ERROR" and raised.value.thrower == "Stimora::Rectangle"


def test_profile_units_sound_samples_and_a_trigger_sent_at_a_flip():
    with stimora.Canvas(stimora.Canvas.window, stimora.Display.primary()) as canvas:
        profile = stimora.MonitorProfile()
        profile.name, profile.widthCm, profile.heightCm, profile.distanceCm = "desk", 40.0, 30.0, 57.0
        profile.pixelWidth, profile.pixelHeight = canvas.getWidth(), canvas.getHeight()
        profile.refreshRate = canvas.getRefreshRate()
        profile.save(os.path.join(OUTPUT, "desk.json"))
        pixel = canvas.useProfile(stimora.MonitorProfile.load(os.path.join(OUTPUT, "desk.json"))).visualAngle()
        pixel, perCm = pixel.toPixels(5.0, 0.0), canvas.getWidth() / 40.0
        assert pixel.x == pytest.approx(canvas.getCenterX() + 57.0 * math.tan(math.radians(5.0)) * perCm)
        assert pixel.y == pytest.approx(canvas.getCenterY())

        tone = stimora.Sound.tone(1000.0, 250.0, -6.0, rate=44100)
        assert tone.frames() == 11025 and np.abs(tone.samples()).max() == pytest.approx(10 ** (-6 / 20), rel=1e-3)
        stereo = np.random.default_rng(2).uniform(-1, 1, (300, 2)).astype(np.float32)
        assert np.array_equal(stimora.Sound.fromSamples(stereo).samples(), stereo)

        receiver = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        receiver.bind(("127.0.0.1", 0))
        receiver.settimeout(5.0)
        trigger = stimora.UdpTrigger("127.0.0.1", receiver.getsockname()[1])
        alive = weakref.ref(trigger)
        canvas.startFrameLog(10).addFlipListener(trigger.sendAtFlip(17))
        del trigger  # the canvas keeps its listener
        gc.collect()
        canvas.flip()
        assert receiver.recv(16) == b"17"
        mark = canvas.frameLog().markAt(0)
        assert (mark.kind, mark.value, mark.flip) == ("trigger", 17, 0)
        canvas.removeFlipListener(alive())
        assert alive() is None


def test_ctrl_c_ends_the_script_and_restores_the_display():
    desktop = gammaOfScreen()
    script = """
import signal, sys, stimora
signal.signal(signal.SIGINT, signal.default_int_handler)  # a child of a background job starts ignoring it
canvas = stimora.Canvas(stimora.Canvas.window, stimora.Display.primary())
canvas.setGammaValue(2.0, 2.0, 2.0)
print("loaded", flush=True)
while True:
    canvas.clear(stimora.Color.gray).flip()
"""
    child = subprocess.Popen([sys.executable, "-c", script], stdout=subprocess.PIPE, text=True)
    assert child.stdout.readline() == "loaded\n" and gammaOfScreen() != desktop
    child.send_signal(2)
    # The framework's handler ends the program at the next frame (130); when Python's, which it
    # calls first, wins between frames, KeyboardInterrupt ends it and the canvas closes with it.
    assert child.wait(timeout=20) in (130, -2) and gammaOfScreen() == desktop
