#pragma once

// The whole framework for an experiment: include this one header.

#include "application/Exception.h"
