#include "platform/layout/anchor_layout.h"

#include <algorithm>
#include <limits>

namespace vellicor::layout {
namespace {

bool onAxis(Anchor anchor, Axis axis) {
  if (axis == Axis::Horizontal) {
    return anchor == Anchor::Leading || anchor == Anchor::Trailing || anchor == Anchor::CenterX;
  }
  return anchor == Anchor::Top || anchor == Anchor::Bottom || anchor == Anchor::CenterY;
}

// An anchor's position along its axis in a container of `length`, measured
// from the leading or top edge, as layout constants are.
double anchorPosition(Anchor anchor, double length) {
  switch (anchor) {
    case Anchor::Leading:
    case Anchor::Top:
      return 0;
    case Anchor::Trailing:
    case Anchor::Bottom:
      return length;
    case Anchor::CenterX:
    case Anchor::CenterY:
      return length * 0.5;
  }
  return 0;
}

enum class Edge { Start, End, Center };

Edge edgeOf(Anchor anchor) {
  if (anchor == Anchor::Leading || anchor == Anchor::Top) {
    return Edge::Start;
  }
  if (anchor == Anchor::Trailing || anchor == Anchor::Bottom) {
    return Edge::End;
  }
  return Edge::Center;
}

}  // namespace

std::optional<Span> solveAxis(const std::vector<LayoutConstraint>& constraints, const View& view,
                              Axis axis, double containerLength, double intrinsic) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  std::optional<double> startEq, endEq, centerEq;
  double startMin = -kInf;
  double endMax = kInf;
  for (const auto& c : constraints) {
    if (c.first != &view || !onAxis(c.firstAnchor, axis)) {
      continue;
    }
    const double target = anchorPosition(c.secondAnchor, containerLength) + c.constant;
    const Edge edge = edgeOf(c.firstAnchor);
    if (c.relation == Relation::Equal) {
      (edge == Edge::Start ? startEq : edge == Edge::End ? endEq : centerEq) = target;
    } else if (c.relation == Relation::GreaterThanOrEqual && edge == Edge::Start) {
      startMin = std::max(startMin, target);
    } else if (c.relation == Relation::LessThanOrEqual && edge == Edge::End) {
      endMax = std::min(endMax, target);
    } else {
      return std::nullopt;
    }
  }
  if (startEq && endEq) {
    return Span{*startEq, *endEq - *startEq};
  }
  if (centerEq) {
    const double room = std::max(0.0, std::min(*centerEq - startMin, endMax - *centerEq));
    const double half = std::min(intrinsic * 0.5, room);
    return Span{*centerEq - half, half * 2};
  }
  return std::nullopt;
}

}  // namespace vellicor::layout
