// tessmar: the command-line face of the engine.
#include <CLI/CLI.hpp>
#include <iostream>

#include "version.h"

int main(int argc, char** argv) {
  CLI::App app{"Tessmar: one-dimensional experiments on laser-heated condensed targets"};
  app.set_version_flag("--version", std::string("Tessmar ") + TESSMAR_VERSION);
  CLI11_PARSE(app, argc, argv);
  return 0;
}
