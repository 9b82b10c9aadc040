// OstrelMain.cpp - the application object of the shipped program.
#include "OstrelApp.h"

COstrelApp theApp;
