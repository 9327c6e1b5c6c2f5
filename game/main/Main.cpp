// Entry point of the game.
#include <cstdio>

int main() {
  std::puts("Yvek");
  return 0;
}
