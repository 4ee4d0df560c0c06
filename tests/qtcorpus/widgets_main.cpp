// The corpus program of the standard widgets.
#include "corpus.h"

int main(int argc, char** argv) { return fsvg::corpus::Run(argc, argv, "widgets", fsvg::corpus::WidgetScenes); }
