#pragma once

#include <optional>
#include <vector>

#include "platform/windows.h"

namespace vellicor::layout {

enum class Axis { Horizontal, Vertical };

// A view's extent along one axis, from its container's leading or top edge.
struct Span {
  double start = 0;
  double length = 0;
};

// Solves one axis for `view` inside a container of `containerLength`, from the
// constraints whose first item is `view` and whose second is the container: a
// view pinned by equalities on both edges, or centred with inequalities that
// keep its edges inside and its `intrinsic` length where it fits. None for any
// other kind of constraint.
std::optional<Span> solveAxis(const std::vector<LayoutConstraint>& constraints, const View& view,
                              Axis axis, double containerLength, double intrinsic);

}  // namespace vellicor::layout
