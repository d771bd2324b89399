// What the window's controls ask of the editor beyond telling it a new value: the meter mode
// button sets two parameters itself, and a right click on a preference control saves the
// metering preferences. The editor implements it; controls without one do nothing of the kind.
#pragma once

class CEditorActions {
 public:
  virtual ~CEditorActions() = default;
  // Sets a parameter as a user change: locally, then the host is told (automation).
  virtual void setParameterAutomated(int index, float value) = 0;
  // Saves "Scale", "MeterType", "AttZoom", "AttShow", "MeterOvs" and "PostMeter" to the user's
  // store and lights the preference controls for a moment.
  virtual void saveMeteringPreferences() = 0;
};
