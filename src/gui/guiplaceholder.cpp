// The widgets library starts empty; the windows follow.
namespace {
[[maybe_unused]] constexpr int placeholder = 0;
}
