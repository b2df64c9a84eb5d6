#pragma once

// The whole framework for an experiment: include this one header.

/// \namespace Stimora
/// The framework: the canvas and its timing, colour calibration, figures, devices, random
/// numbers, matrices, files, experiment variables and procedures. The free functions here act
/// on the process-wide state (start-up, paths, rounding) or on the current canvas.
/// \namespace Stimora::ExperimentalMethods
/// The procedures that run trials: constant stimuli, staircases, QUEST, demos.
/// \namespace Stimora::StimulusTemplate
/// Templates that build stimuli: Gabor patches drawn by the CPU or by the graphics card.
/// \namespace Stimora::Analysis
/// Result files and frame logs read back, psychometric fits and figures (Stimora::analysis).

#include "base/Exception.h"
#include "base/Point.h"
#include "base/Rounding.h"
#include "base/ShaderPatch.h"

#include "application/ApplicationRecord.h"
#include "application/StartUp.h"

#include "experiment/Adaptive.h"
#include "experiment/Constant.h"
#include "experiment/Demo.h"
#include "experiment/ExperimentalMethod.h"
#include "experiment/ProcedureHost.h"
#include "experiment/Quest.h"
#include "experiment/QuestPosterior.h"
#include "experiment/ResultFile.h"
#include "experiment/Staircase.h"
#include "experiment/Variable.h"
#include "experiment/VariableConsole.h"
#include "experiment/VariableInstance.h"
#include "experiment/VariableList.h"
#include "math/Interval.h"

#include "display/Canvas.h"
#include "display/CanvasSound.h"
#include "display/Color.h"
#include "display/Display.h"
#include "display/Drawable.h"
#include "display/DrawableDummy.h"
#include "display/FlipListener.h"
#include "display/FrameLog.h"
#include "display/MonitorProfile.h"
#include "display/ResponseCurve.h"

#include "figures/Angle.h"
#include "figures/Colored.h"
#include "figures/Ellipse.h"
#include "figures/Figure.h"
#include "figures/FigureDatum.h"
#include "figures/Font.h"
#include "figures/Gabor.h"
#include "figures/Grating.h"
#include "figures/Group.h"
#include "figures/Image.h"
#include "figures/Length.h"
#include "figures/Letters.h"
#include "figures/Line.h"
#include "figures/PatchBatch.h"
#include "figures/Polygon.h"
#include "figures/ProceduralGabor.h"
#include "figures/QuickGabor.h"
#include "figures/Rectangle.h"
#include "figures/Shape.h"
#include "figures/Stroke.h"

#include "devices/AudioOutput.h"
#include "devices/Clock.h"
#include "devices/Keyboard.h"
#include "devices/ManualPhotometer.h"
#include "devices/Mouse.h"
#include "devices/PR655Photometer.h"
#include "devices/ParallelPort.h"
#include "devices/ParallelTrigger.h"
#include "devices/Photometer.h"
#include "devices/ResponseBox.h"
#include "devices/SerialPort.h"
#include "devices/SerialTrigger.h"
#include "devices/Sound.h"
#include "devices/Trigger.h"
#include "devices/UdpTrigger.h"

#include "math/Matrix.h"
#include "math/MatrixExpression.h"
#include "math/Random.h"
#include "math/VisualAngle.h"

#include "figures/PNG_BRIDGE.h"
#include "file/File.h"
#include "file/IMAGE_FORMAT.h"
#include "file/Paths.h"

// Result analysis (link Stimora::analysis): fits, figures, result files and frame logs read back.
#include "analysis/Chart.h"
#include "analysis/Figures.h"
#include "analysis/FrameTimes.h"
#include "analysis/PsychometricData.h"
#include "analysis/PsychometricFit.h"
#include "analysis/ResponseFit.h"
#include "analysis/ResultTable.h"
