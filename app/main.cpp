// Entry point. The main window arrives with the window layer; until then the
// program says what it is and ends.
#include <cstdio>

int main() {
  std::puts("Residue Station: the main window is not built yet; see residue-tool for the decoder.");
  return 0;
}
