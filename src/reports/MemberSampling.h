#pragma once

#include "core/BeamElement.h"

// The largest values along a member that "MForInElemCS.txt" and
// "MDisInGlobalCS.txt" print: sampled at 1001 evenly spaced points, both
// ends included, a value replacing the best so far only when strictly
// greater (ties go to the point nearest the first node; a NaN never wins).
// value is the largest magnitude, x its distance from the first node.
void AbsMaxMoment(const BeamElement& element, double& value, double& x);
void AbsMaxShear(const BeamElement& element, double& value, double& x);
void MaxDisplacement(const BeamElement& element, double& value, double& x);

// The same from element-axis values the caller has already computed.
void AbsMaxMoment(const BeamElement& element, const BeamElement::AxisResults& axis, double& value, double& x);
void AbsMaxShear(const BeamElement& element, const BeamElement::AxisResults& axis, double& value, double& x);
void MaxDisplacement(const BeamElement& element, const BeamElement::AxisResults& axis, double& value, double& x);

// The plain scans of all 1001 samples, written from the definition: what
// the functions above, which evaluate only the samples that can win, must
// give bit for bit.
void AbsMaxMomentPlain(const BeamElement& element, double& value, double& x);
void AbsMaxShearPlain(const BeamElement& element, double& value, double& x);
void MaxDisplacementPlain(const BeamElement& element, double& value, double& x);
