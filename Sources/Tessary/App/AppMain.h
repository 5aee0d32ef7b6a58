#pragma once

// Process entry: the extras --help/--version, forwarding to a running instance, then the
// application object, its delegate and the event loop.
namespace AppMain {
int run(int argc, char** argv);
}
