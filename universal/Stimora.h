#pragma once

// The whole framework for an experiment: include this one header.

#include "application/ApplicationRecord.h"
#include "application/Exception.h"
#include "application/StartUp.h"

#include "experiment/Constant.h"
#include "experiment/Demo.h"
#include "experiment/ExperimentalMethod.h"
#include "experiment/Interval.h"
#include "experiment/ProcedureHost.h"
#include "experiment/Variable.h"
#include "experiment/VariableConsole.h"
#include "experiment/VariableInstance.h"
#include "experiment/VariableList.h"

#include "display/Canvas.h"
#include "display/Color.h"
#include "display/Drawable.h"
#include "display/DrawableDummy.h"
#include "display/FrameLog.h"

#include "figures/Angle.h"
#include "figures/Colored.h"
#include "figures/Ellipse.h"
#include "figures/Figure.h"
#include "figures/FigureDatum.h"
#include "figures/Font.h"
#include "figures/Gabor.h"
#include "figures/Group.h"
#include "figures/Image.h"
#include "figures/Length.h"
#include "figures/Letters.h"
#include "figures/Line.h"
#include "figures/Point.h"
#include "figures/Polygon.h"
#include "figures/QuickGabor.h"
#include "figures/Rectangle.h"
#include "figures/Shape.h"
#include "figures/Stroke.h"

#include "devices/Clock.h"
#include "devices/Keyboard.h"
#include "devices/Mouse.h"

#include "math/Matrix.h"
#include "math/MatrixExpression.h"
#include "math/Random.h"
#include "math/Rounding.h"

#include "file/File.h"
#include "file/IMAGE_FORMAT.h"
#include "file/PNG_BRIDGE.h"
#include "file/Paths.h"

#include "Display.h"
#include "Platform.h"
