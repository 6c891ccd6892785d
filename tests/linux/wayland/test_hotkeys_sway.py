"""The hot keys on sway, where the program can grab no key: the bindsym lines of readme.txt
(tests/support/sway.config has them verbatim) call the program's session-bus methods when
Alt+Space and Alt+V are typed on sway's virtual keyboard. The effect is read from the Freeze
check mark in the tray menu."""

import time

from support.xsession import wait_for

FREEZE = "Freeze (press Alt + Spacebar to toggle)"


def frozen(program):
    return any(e.label == FREEZE and e.checked for e in program.item.menu())


def test_alt_space_bound_in_sway_toggles_freeze_once_per_press(sway, start_vistrel):
    program = start_vistrel(sway)
    assert not frozen(program)
    sway.type_keys("-M", "alt", "-k", "space", "-m", "alt")
    wait_for("Freeze after Alt+Space", lambda: frozen(program))
    sway.type_keys("-M", "alt", "-k", "space", "-m", "alt")
    wait_for("Freeze to end at the second Alt+Space", lambda: not frozen(program))


def test_alt_v_bound_in_sway_holds_for_the_command_line_seconds(sway, start_vistrel):
    program = start_vistrel(sway, "1")
    pressed = time.monotonic()
    sway.type_keys("-M", "alt", "-k", "v", "-m", "alt")
    # Freeze and Lock waits a second, holds the picture for the given second, then leaves the
    # view frozen; the menu answers all along.
    wait_for("Freeze after the hold", lambda: frozen(program), timeout=10)
    assert time.monotonic() - pressed >= 1.9
