#pragma once
// One frame of the game, in its fixed order. The application object does
// each step; RunFrame keeps the order and the rules between them.
#include <cstdint>

class CGAFrameSteps {
 public:
  virtual ~CGAFrameSteps() {}
  virtual void StepState() = 0;
  virtual void RedrawGui() = 0;
  virtual uint32_t ReadFrameTimer() = 0;
  virtual void UpdateInput() = 0;
  virtual void UpdateSound() = 0;
  virtual void UpdateUnits() = 0;
  virtual void UpdateEffects() = 0;
  virtual void UpdateTerrain() = 0;
  virtual void UpdateCamera() = 0;
  virtual void UpdateGui() = 0;
  virtual void UpdateLabels() = 0;
  virtual void Render() = 0;
};

// State step; forced redraw once a paint request has aged (counted with the
// previous frame's duration); clock; input, sound, units (not while the
// battle is paused), effects, terrain, camera, GUI, labels; render.
void RunFrame(CGAFrameSteps& steps);
