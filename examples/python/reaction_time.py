"""Simple reaction time, timed from the frame the stimulus appeared in, written in Python.

The Python form of examples/reaction_time: a fixation cross for a random foreperiod (1 to 2 s),
then a white disc; the observer presses the space bar as fast as possible. The response time
is the key's time stamp (taken when the press reached the program, even during a held frame)
minus the onset of the disc's frame, so it does not depend on how often Python polls.

Keys: space starts the run and answers; Escape stops early (the trials so far are saved).
Output: ReactionTime_<date>_<time>.dat and ..._frames.tsv (the frame log) in the current
folder. STIMORA_TRIALS sets the number of trials (default 20).
Run: python3 reaction_time.py
"""
import os

import stimora

DARK, WINDOW_MS = stimora.Color(0.1), 1500.0


class Stopped(Exception):
    """The observer pushed Escape."""


def drawFixation(canvas):
    canvas.rect(stimora.Rectangle(21, 3).centerAt(canvas), stimora.Color.white)
    canvas.rect(stimora.Rectangle(3, 21).centerAt(canvas), stimora.Color.white)


def runTrial(canvas, start):
    """One trial: (foreperiod, onset, rt, outcome), times in ms; rt -1 for a miss."""
    frames = stimora.roundToInt(stimora.random(1000.0, 2000.0) / canvas.getFramePeriod())
    canvas.clear(DARK)
    drawFixation(canvas)
    canvas.flip(frames)  # the whole foreperiod in one held frame; presses are queued meanwhile
    stimora.Keyboard.clearEvents()
    disc = stimora.Rectangle(61, 61).centerAt(canvas)
    canvas.clear(DARK).ellipse(disc, stimora.Color.white).flip()
    onset = canvas.getLastFlipTime()
    trial = [frames * canvas.getFramePeriod(), (onset - start).milliseconds(), -1.0, "miss"]
    while (stimora.Clock.now() - onset).milliseconds() <= WINDOW_MS:
        event = stimora.Keyboard.nextEvent()
        while event is not None:
            if event.down and event.is_(stimora.Keyboard.escape):
                raise Stopped()
            if event.down and event.is_(stimora.Keyboard.space):
                trial[2] = (event.time - onset).milliseconds()
                trial[3] = "anticipation" if trial[2] < 0 else "hit"
                return trial
            event = stimora.Keyboard.nextEvent()
        canvas.clear(DARK).ellipse(disc, stimora.Color.white).flip()
    return trial


stimora.startUp()
count = int(os.environ.get("STIMORA_TRIALS") or 20)
stem = stimora.expandPath("ReactionTime_%TIME_")
trials = []
with stimora.Canvas(stimora.Canvas.fullscreen, stimora.Display.primary()) as canvas:
    canvas.startFrameLog(count * 1000 + 10000)
    try:
        stimora.Keyboard.clear()
        while not stimora.Keyboard.pushed(stimora.Keyboard.space):
            canvas.clear(DARK)
            canvas.message("Press the space bar as soon as the disc appears. Space to start.",
                           canvas.getCenterX(), canvas.getCenterY(), stimora.Color.white, 1)
            canvas.flip()
            if stimora.Keyboard.pushed(stimora.Keyboard.escape):
                raise Stopped()
        start = stimora.Clock.now()
        while len(trials) < count:
            trials.append(runTrial(canvas, start))
    except Stopped:
        print(f"Stopped after {len(trials)} trials")
    with open(stem + ".dat", "w", newline="") as file:
        file.write("ReactionTime\r\nTRIAL#\tForeperiod_ms\tOnset_ms\tRT_ms\tOutcome\t\r\n")
        for number, (foreperiod, onset, rt, outcome) in enumerate(trials, 1):
            file.write(f"{number}\t{foreperiod:.1f}\t{onset:.3f}\t{rt:.3f}\t{outcome}\t\r\n")
    canvas.saveFrameLog(stem + "_frames.tsv")
    print(f"Results written to {stem}.dat, frame log to {stem}_frames.tsv")
