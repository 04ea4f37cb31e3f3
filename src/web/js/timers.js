// The timers a controller is given (tests give their own clock), kept as plain
// functions: a browser's own setTimeout throws ("Illegal invocation") when
// called as a method of another object, as `this.setTimer(...)` would call it.
export function plainTimers({setTimer = setTimeout, clearTimer = clearTimeout} = {}) {
    return {
        setTimer: (fn, ms) => setTimer(fn, ms),
        clearTimer: (id) => clearTimer(id),
    };
}
