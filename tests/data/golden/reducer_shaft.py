#!/usr/bin/env python3
"""Golden case: the intermediate shaft of a two-stage cylindrical-bevel reducer.

The shaft carries the helical wheel of the fast stage (driven by the input
pinion) and the spiral bevel pinion of the slow stage (overhung beyond the
right support, driving the output bevel wheel); between them sits the chain
sprocket of a power take-off (a free force). Three load modes. The left
support is a radial ball bearing 208, the right one an angular-contact ball
bearing 36308 that takes the whole axial load.

Everything below is worked out from the textbook method only (standard
library, no part of the program is used):

  * gear geometry and mesh forces: Иванов М.Н. «Детали машин», «Зубчатые передачи»;
    Дунаев П.Ф., Леликов О.П. «Конструирование узлов и деталей машин»;
    ГОСТ 16532-70 (working pressure angle of shifted gears);
  * equivalent load over the modes: Σ(F^p·n·t)/Σ(n·t), p = 10/3;
  * reactions and bending moments: statics of a beam on two supports;
  * bearing equivalent load and life: ГОСТ 18855-94 / ISO 281,
    Pr = (V·X·Fr + Y·Fa)·Kб·KT, L10h = 10^6/(60·n)·(a1·C/Pr)^p.

Run it from anywhere:  python3 tests/data/golden/reducer_shaft.py
It writes reducer_shaft.tvd (the scenario) and expected.txt (what the report
must show) beside itself and prints the working.
"""

import csv
import math
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
CATALOGUE = os.path.normpath(os.path.join(HERE, "..", "..", "..", "src", "store", "data", "bearings.csv"))

# ---------------------------------------------------------------------------
# Input data
# ---------------------------------------------------------------------------

L = 170.0            # distance between the supports, mm            (general 2)
FORCE_UNIT = 1       # 1 = newtons, torques in N·m                     (general 4)
DIRECTION = 1        # direction of rotation code                      (general 38)
AXIS_LENGTH = 260    # shaft length = diagram axis U, mm               (general 53)
LEFT_SUPPORT_AT = 20.0  # the left support's place on that axis, mm    (general 54)

# Modes: (speed, rpm; share of the working time). Shares sum to 1.
MODES = [(365.0, 0.25), (365.0, 0.55), (240.0, 0.20)]

# Point 1 - helical wheel of the fast stage, driven (cylindrical mesh).
HELICAL = dict(
    m=2.5,        # normal module, mm                          (11)
    z1=77,        # teeth of this wheel                        (12)
    z2=20,        # teeth of the mating input pinion           (13)
    beta=10.5,    # helix angle, degrees                       (14)
    alpha_code=1,  # normal pressure angle: choice 1 = "20°"    (15)
    x1=0.0,       # profile shift of this wheel                (16)
    x2=0.3,       # profile shift of the pinion                (17)
    hand=2,       # tooth hand code: 2 = "левое"               (18)
    role=2,       # 2 = "ведомое" (driven)                     (19)
    phi=330.0,    # position angle of the mesh, degrees        (20)
    z=55.0,       # axial position from the left support, mm   (33)
)
HELICAL_POWER_KW = [7.5, 5.5, 3.0]  # entered as power in kW (load kind 2)

# Point 2 - chain sprocket of a power take-off (free force), on the axis.
# The chain pull reverses its X component in the third mode.
FREE_POINT = dict(x=0.0, y=0.0, z=115.0)                        # (5, 6, 7)
FREE_LOADS = [(600.0, -900.0, 120.0), (450.0, -700.0, 90.0), (-150.0, -300.0, -40.0)]  # Fx, Fy, Fz per mode

# Point 3 - spiral bevel pinion of the slow stage, driving, overhung.
BEVEL = dict(
    me=4.0,       # outer circular module, mm                  (21)
    z1=20,        # teeth of this pinion                       (22)
    z2=50,        # teeth of the output bevel wheel            (23)
    beta=35.0,    # mean spiral angle, degrees                 (24)
    alpha_code=1,  # pressure angle: choice 1 = "20°"           (25)
    sigma=90.0,   # shaft angle, degrees                       (26)
    b=30.0,       # face width, mm                             (27)
    orient=1,     # cone apex points right (away from the supports) (28)
    hand=2,       # spiral hand code                           (30)
    role=1,       # 1 = "ведущее" (driving)                    (31)
    phi=300.0,    # position angle of the mesh, degrees        (32)
    z=215.0,      # axial position from the left support, mm   (34); 45 mm beyond the right support
)
# Torque entered in N·m (load kind 4): the wheel's torque less 1 % lost in
# the shaft's bearings, rounded to 0.1 N·m.
BEVEL_TORQUE_NM = [194.4, 142.5, 118.2]

PRESSURE_ANGLES = {1: 20.0, 2: 25.0, 3: 15.0, 4: 14.5}  # the choice captions of 15 and 25

# Bearings: designation in the shipped catalogue, Kб, KT, rotating ring
# (0 inner), takes radial, takes axial.
LEFT_BEARING = dict(designation="208", Kb=1.5, Kt=1.0, ring=0, radial=1, axial=0)
RIGHT_BEARING = dict(designation="36308", Kb=1.5, Kt=1.0, ring=0, radial=1, axial=1)

P_MODES = 10.0 / 3.0  # exponent of the equivalent load over the modes


# ---------------------------------------------------------------------------
# Textbook formulas
# ---------------------------------------------------------------------------

def rad(deg):
    return deg * math.pi / 180.0


def involute(a):
    return math.tan(a) - a


def inverse_involute(v):
    """inv(a) = v solved by bisection on (0, pi/2): inv is increasing there."""
    lo, hi = 1e-9, math.pi / 2 - 1e-9
    for _ in range(200):
        mid = 0.5 * (lo + hi)
        if involute(mid) < v:
            lo = mid
        else:
            hi = mid
    return 0.5 * (lo + hi)


def load_kinds(kind, value, n):
    """The load of one mode in the four kinds hp, kW, kgf·m, N·m.

    1 kW = 1.36 hp; T[kgf·m] = 716.2·N[hp]/n; T[N·m] = 7025.922·N[hp]/n
    (716.2·9.81 = 7025.922; with kW this is T = 9555·P/n, the textbook's 9550·P/n
    with the rounded hp ratio)."""
    if kind == 2:
        h = value * 1.36
        return (h, value, h * 716.2 / n, h * 7025.922 / n)
    if kind == 4:
        h = value * n / 7025.922
        return (h, h / 1.36, h * 716.2 / n, value)
    raise ValueError(kind)


def mode_weights():
    total = sum(n * k for n, k in MODES)
    return [n * k / total for n, k in MODES]


# Shaft frame: Z along the shaft from the left support (to the right of the
# drawing), Y up, X towards the viewer of the drawing (a left-handed triple);
# a position angle phi runs from +X towards +Y. Rotation code 1, clockwise as
# seen from the left support, turns from +Y towards +X, i.e. towards -phi;
# code 2 towards +phi.

def rotation_sense(direction):
    return -1 if direction == 1 else 1


def tangential_sense(direction, role):
    """Sense of Ft on this gear along +phi at the mesh point: the tooth force
    follows the rotation on a driven gear (role 2) and opposes it on a
    driving one (role 1)."""
    s = rotation_sense(direction)
    return s if role == 2 else -s


def helical_axial_sense(c, hand):
    """The tooth force is normal to the tooth line, so its axial component is
    tied to the tangential one: in this frame a right-hand tooth (code 1)
    pushes along +Z when Ft is along +phi, a left-hand tooth (code 2) along -Z."""
    return c if hand == 1 else -c


def spiral_sense(c, hand, orient):
    """+1 when the spiral term pushes the bevel gear towards its base (away
    from the apex), -1 towards the apex. Seen along the axis from apex to
    base a right-hand spiral (code 1) winds like a right-hand helix; with the
    apex to the right (orientation 1) that direction is -Z, with the apex to
    the left (orientation 2) it is +Z."""
    along_base = c if orient == 1 else -c   # sense of Ft about the apex-to-base axis
    return -along_base if hand == 1 else along_base


def cylindrical_mesh(g, torques):
    """Helical (spur) mesh: Иванов, «Зубчатые передачи»; ГОСТ 16532-70."""
    alpha = rad(PRESSURE_ANGLES[g["alpha_code"]])
    beta = rad(g["beta"])
    phi = rad(g["phi"])
    z1, z2, m = g["z1"], g["z2"], g["m"]
    alpha_t = math.atan(math.tan(alpha) / math.cos(beta))            # transverse pressure angle
    inv_tw = 2.0 * (g["x1"] + g["x2"]) * math.tan(alpha) / (z1 + z2) + involute(alpha_t)
    alpha_tw = inverse_involute(inv_tw)                              # working transverse angle
    a = m * (z1 + z2) / (2.0 * math.cos(beta))                       # reference centre distance
    aw = a * math.cos(alpha_t) / math.cos(alpha_tw)                  # working centre distance
    dw = 2.0 * aw * z1 / (z1 + z2)                                   # working pitch diameter
    x = dw / 2 * math.cos(phi)
    y = dw / 2 * math.sin(phi)
    x = 0.0 if abs(x) <= 0.001 else x
    y = 0.0 if abs(y) <= 0.001 else y
    c = tangential_sense(DIRECTION, g["role"])
    a_sense = helical_axial_sense(c, g["hand"])
    modes = []
    for T in torques:
        Ft = 2000.0 * T / dw
        Fr = Ft * math.tan(alpha_tw)
        Fa = Ft * math.tan(beta)
        # Ft along the tangent (-sin phi, cos phi) times c; Fr towards the axis.
        Fx = -c * Ft * math.sin(phi) - Fr * math.cos(phi)
        Fy = c * Ft * math.cos(phi) - Fr * math.sin(phi)
        Fz = a_sense * Fa
        modes.append(dict(Ft=Ft, Fr=Fr, Fa=Fa, Fx=Fx, Fy=Fy, Fz=Fz))
    geometry = dict(alpha_t=math.degrees(alpha_t), alpha_tw=math.degrees(alpha_tw), a=a, aw=aw, dw=dw,
                    c=c, axial_sense=a_sense)
    return geometry, (x, y, g["z"]), modes


def conical_mesh(g, torques):
    """Bevel mesh with spiral teeth (Иванов; Дунаев-Леликов):
    for the pinion  Fa = Ft·(tgα·sinδ ± sinβ·cosδ)/cosβ,
                    Fr = Ft·(tgα·cosδ ∓ sinβ·sinδ)/cosβ,
    upper signs when the axial force drives the pinion away from the apex."""
    alpha = rad(PRESSURE_ANGLES[g["alpha_code"]])
    beta = rad(g["beta"])
    sigma = rad(g["sigma"])
    phi = rad(g["phi"])
    z1, z2, me, b = g["z1"], g["z2"], g["me"], g["b"]
    delta = math.atan(math.sin(sigma) / (math.cos(sigma) + z2 / z1))  # pitch cone angle of the pinion
    de = me * z1                                                       # outer pitch diameter
    Re = de / (2.0 * math.sin(delta))                                  # outer cone distance
    Rm = Re - b / 2.0
    dm = de * Rm / Re                                                  # mean pitch diameter
    # the program keeps the mesh point of a bevel gear to 0.001 mm
    x = round(dm / 2 * math.cos(phi), 3)
    y = round(dm / 2 * math.sin(phi), 3)
    x = 0.0 if abs(x) < 0.001 else x
    y = 0.0 if abs(y) < 0.001 else y
    c = tangential_sense(DIRECTION, g["role"])
    k = spiral_sense(c, g["hand"], g["orient"])
    modes = []
    for T in torques:
        Ft = 2000.0 * T / dm
        Fa = Ft * (math.tan(alpha) * math.sin(delta) + k * math.sin(beta) * math.cos(delta)) / math.cos(beta)
        Fr = Ft * (math.tan(alpha) * math.cos(delta) - k * math.sin(beta) * math.sin(delta)) / math.cos(beta)
        Fx = -c * Ft * math.sin(phi) - Fr * math.cos(phi)
        Fy = c * Ft * math.cos(phi) - Fr * math.sin(phi)
        # The axial force points from the apex to the base: apex right -> -z.
        Fz = -Fa if g["orient"] == 1 else Fa
        modes.append(dict(Ft=Ft, Fr=Fr, Fa=Fa, Fx=Fx, Fy=Fy, Fz=Fz))
    geometry = dict(delta=math.degrees(delta), de=de, Re=Re, Rm=Rm, dm=dm, c=c, k=k)
    return geometry, (x, y, g["z"]), modes


def gear_equivalent(values, w):
    """Magnitudes averaged with the exponent 10/3; the sign is that of the
    last mode (+ for 0)."""
    s = sum(wi * abs(v) ** P_MODES for v, wi in zip(values, w))
    sign = -1.0 if values[-1] < 0 else 1.0
    return sign * s ** (1.0 / P_MODES)


def free_equivalent(values, w):
    """Signed powers averaged: a force reversing in some mode partly cancels."""
    a = sum(wi * math.copysign(abs(v) ** P_MODES, v) for v, wi in zip(values, w) if v != 0)
    if a == 0:
        return 0.0
    return math.copysign(abs(a) ** (1.0 / P_MODES), a)


def reactions(loads):
    """loads: list of (x, y, z, Fx, Fy, Fz). Supports at z = 0 and z = L on the
    axis; the left one is also taken as the axial support. Equilibrium:
        ΣFx + R1x + R2x = 0,  Σ(z·Fx − x·Fz) + L·R2x = 0   (moments about Y at the left support)
        ΣFy + R1y + R2y = 0,  Σ(z·Fy − y·Fz) + L·R2y = 0   (moments about X at the left support)
        ΣFz + Ra = 0"""
    R2x = -sum(z * Fx - x * Fz for x, y, z, Fx, Fy, Fz in loads) / L
    R2y = -sum(z * Fy - y * Fz for x, y, z, Fx, Fy, Fz in loads) / L
    R1x = -sum(l[3] for l in loads) - R2x
    R1y = -sum(l[4] for l in loads) - R2y
    Ra = -sum(l[5] for l in loads)
    return dict(R1x=R1x, R1y=R1y, R1=math.hypot(R1x, R1y), R2x=R2x, R2y=R2y, R2=math.hypot(R2x, R2y), Ra=Ra)


def moment_diagrams(loads, R):
    """Bending moments at the load points, just left and just right, in
    force unit × mm: the sum over everything to the left of the section of
    F·(arm) plus the couple x·Fz (y·Fz) of an axial force acting off the axis,
    which shows as a jump of the diagram at its point."""
    items = [(z + LEFT_SUPPORT_AT, x, y, Fx, Fy, Fz) for x, y, z, Fx, Fy, Fz in loads]
    items.append((LEFT_SUPPORT_AT, 0.0, 0.0, R["R1x"], R["R1y"], 0.0))
    items.append((LEFT_SUPPORT_AT + L, 0.0, 0.0, R["R2x"], R["R2y"], 0.0))
    items.sort(key=lambda t: t[0])
    assert all(0 <= t[0] <= AXIS_LENGTH for t in items)
    assert len({t[0] for t in items}) == len(items), "no two loads at the same place in this case"
    vertices = []  # (position, MxL, MxR, MyL, MyR)
    for i, (p, x, y, Fx, Fy, Fz) in enumerate(items):
        MxL = sum(q[3] * (p - q[0]) + q[1] * q[5] for q in items[:i])
        MyL = sum(q[4] * (p - q[0]) + q[2] * q[5] for q in items[:i])
        vertices.append((p, MxL, MxL + x * Fz, MyL, MyL + y * Fz))
    return vertices


# Bearing factor tables (ГОСТ 18855-94 / ISO 281; Иванов, Дунаев-Леликов):
# Fa/C0, e, Y (9 nodes each); X and Y apply when Fa/(V·Fr) > e, otherwise
# X = 1, Y = 0. Y at e is interpolated linearly (the same as interpolating
# it in Fa/C0, the nodes being shared). The 12° row starts with Y = 1.81, as
# Дунаев-Леликов give it, which fits e·Y ≈ 0.54 of the rest of the row. This
# case falls between the 4th and 5th nodes and does not depend on it.
RADIAL_BALL = dict(
    X=0.56,
    f=[0.014, 0.028, 0.056, 0.084, 0.11, 0.17, 0.28, 0.42, 0.56],
    e=[0.19, 0.22, 0.26, 0.28, 0.30, 0.34, 0.38, 0.42, 0.44],
    Y=[2.30, 1.99, 1.71, 1.55, 1.45, 1.31, 1.15, 1.04, 1.00],
)
ANGULAR_TABLED = {
    12: dict(
        X=0.45,
        f=[0.014, 0.029, 0.057, 0.086, 0.11, 0.17, 0.29, 0.43, 0.57],
        e=[0.30, 0.34, 0.37, 0.41, 0.45, 0.48, 0.52, 0.54, 0.54],
        Y=[1.81, 1.62, 1.46, 1.34, 1.22, 1.13, 1.04, 1.01, 1.00],
    ),
}
ANGULAR_FIXED = {26: dict(e=0.68, X=0.41, Y=0.87), 36: dict(e=0.95, X=0.37, Y=0.66)}


def interp(xs, ys, x):
    if x <= xs[0]:
        return ys[0]
    if x >= xs[-1]:
        return ys[-1]
    for i in range(1, len(xs)):
        if xs[i] > x:
            return ys[i - 1] + (x - xs[i - 1]) * (ys[i] - ys[i - 1]) / (xs[i] - xs[i - 1])
    return ys[-1]


def bearing_life(kind, row, Fr, Fa, n, Kb, Kt, V=1.0, Kk=1.0):
    C, C0, alpha = row["C"], row["C0"], row["alpha"]
    if Fr == 0:
        Fr = 1e-8
    e, X, Y = 0.0, 1.0, 0.0
    if kind == "roller_radial":
        p = 10.0 / 3.0
    elif kind == "ball_radial":
        p = 3.0
        if Fa != 0:
            t = RADIAL_BALL
            e = interp(t["f"], t["e"], Fa / C0)
            if Fa / (V * Fr) > e:
                X, Y = t["X"], interp(t["e"], t["Y"], e)
    elif kind == "ball_angular":
        p = 3.0
        if alpha in ANGULAR_TABLED:
            t = ANGULAR_TABLED[alpha]
            e = interp(t["f"], t["e"], Fa / C0)
            if Fa / (V * Fr) > e:
                X, Y = t["X"], interp(t["e"], t["Y"], e)
        else:
            t = ANGULAR_FIXED[alpha]
            e = t["e"]
            if Fa / (V * Fr) > e:
                X, Y = t["X"], t["Y"]
    else:
        raise ValueError(kind)
    Pr = (V * X * Fr + Y * Fa) * Kb * Kt
    Lh = 1e6 / (60.0 * n) * (Kk * C / Pr) ** p
    return dict(e=e, X=X, Y=Y, Pr=Pr, Lh=Lh, Fr=Fr, Fa=Fa, n=n, p=p, ratio=Fa / (V * Fr), FaC0=Fa / C0)


# ISO 76 (static load ratings), single-row ball bearings: radial-contact
# X0 = 0.6, Y0 = 0.5; angular-contact X0 = 0.5 and Y0 by the contact angle,
# linear between the listed angles; radial roller bearings: P0 = Fr.
ISO76_ANGULAR_Y0 = [(5, 0.52), (10, 0.50), (15, 0.46), (20, 0.42), (25, 0.38), (30, 0.33), (35, 0.29),
                    (40, 0.26), (45, 0.22)]


def static_check(kind, row, Fr, Fa):
    """P0 = max(X0·Fr + Y0·Fa, Fr), s0 = C0 / P0."""
    if kind == "roller_radial":
        P0 = Fr
    else:
        X0, Y0 = 0.6, 0.5
        if kind == "ball_angular":
            a = row["alpha"]
            (a1, y1), (a2, y2) = next((lo, hi) for lo, hi in zip(ISO76_ANGULAR_Y0, ISO76_ANGULAR_Y0[1:])
                                      if lo[0] <= a <= hi[0])
            X0, Y0 = 0.5, y1 + (a - a1) * (y2 - y1) / (a2 - a1)
        P0 = max(X0 * Fr + Y0 * Fa, Fr)
    return dict(P0=P0, s0=row["C0"] / P0, Fr0=Fr, Fa0=Fa)


def catalogue():
    """Catalogue rows in file order: the store numbers them 1, 2, ... (BearingID)."""
    with open(CATALOGUE, encoding="utf-8", newline="") as f:
        rows = list(csv.DictReader(f))
    out = {}
    for i, r in enumerate(rows, start=1):
        out[r["designation"]] = dict(id=i, kind=r["kind"], d=float(r["d"]), D=float(r["D"]), B=float(r["B"]),
                                     C=float(r["C_N"]), C0=float(r["C0_N"]), alpha=int(float(r["alpha_deg"])))
    return out


# ---------------------------------------------------------------------------
# How the page writes numbers: rounded to 3 decimals (halves to even), then
# up to 15 significant digits, point as the separator.
# ---------------------------------------------------------------------------

def plain(v):
    if v == 0:
        v = 0.0
    return "%.15G" % v


def rounded(v):
    return plain(round(v, 3))


FRAGILE = []


def shown(name, v):
    """The rounded text, remembering values too close to a rounding boundary
    to be a fair test (the program may differ in the last bits)."""
    scaled = abs(v) * 1000.0
    if abs(scaled - math.floor(scaled) - 0.5) < 1e-4:
        FRAGILE.append((name, v))
    return rounded(v)


# ---------------------------------------------------------------------------
# The calculation
# ---------------------------------------------------------------------------

def calculate():
    w = mode_weights()
    hel_loads = [load_kinds(2, P, n) for P, (n, _) in zip(HELICAL_POWER_KW, MODES)]
    bev_loads = [load_kinds(4, T, n) for T, (n, _) in zip(BEVEL_TORQUE_NM, MODES)]
    hel_geo, hel_at, hel = cylindrical_mesh(HELICAL, [l[3] for l in hel_loads])
    bev_geo, bev_at, bev = conical_mesh(BEVEL, [l[3] for l in bev_loads])

    def eq(modes):
        return tuple(gear_equivalent([m[k] for m in modes], w) for k in ("Fx", "Fy", "Fz"))

    hel_eq = eq(hel)
    bev_eq = eq(bev)
    free_eq = tuple(free_equivalent([f[i] for f in FREE_LOADS], w) for i in range(3))

    loads = [hel_at + hel_eq,
             (FREE_POINT["x"], FREE_POINT["y"], FREE_POINT["z"]) + free_eq,
             bev_at + bev_eq]
    R = reactions(loads)
    # Each mode's reactions from that mode's own forces, for the static check.
    def projections(f):
        return (f["Fx"], f["Fy"], f["Fz"])

    free_at = (FREE_POINT["x"], FREE_POINT["y"], FREE_POINT["z"])
    mode_R = [reactions([hel_at + projections(h), free_at + tuple(f), bev_at + projections(b)])
              for h, f, b in zip(hel, FREE_LOADS, bev)]
    vertices = moment_diagrams(loads, R)

    n_eq = sum(n * k for n, k in MODES)
    cat = catalogue()
    bearings = []
    for side, b in ((0, LEFT_BEARING), (1, RIGHT_BEARING)):
        row = cat[b["designation"]]
        Fr = (R["R1"] if side == 0 else R["R2"]) * b["radial"]
        Fa = abs(R["Ra"]) * b["axial"]
        res = bearing_life(row["kind"], row, Fr, Fa, n_eq, b["Kb"], b["Kt"])
        Fr0 = max(m["R1"] if side == 0 else m["R2"] for m in mode_R) * b["radial"]
        Fa0 = max(abs(m["Ra"]) for m in mode_R) * b["axial"]
        res.update(static_check(row["kind"], row, Fr0, Fa0))
        bearings.append((b, row, res))
    return dict(w=w, hel_loads=hel_loads, bev_loads=bev_loads, hel_geo=hel_geo, hel_at=hel_at, hel=hel,
                bev_geo=bev_geo, bev_at=bev_at, bev=bev, hel_eq=hel_eq, bev_eq=bev_eq, free_eq=free_eq,
                loads=loads, R=R, vertices=vertices, n_eq=n_eq, bearings=bearings)


# ---------------------------------------------------------------------------
# Scenario file: one binary record, little-endian, no header.
# list := int16 dims (0: empty) [int32 count, int32 first index = 1, entries]
# ---------------------------------------------------------------------------

def lst(entries):
    if not entries:
        return struct.pack("<h", 0)
    return struct.pack("<hii", 1, len(entries), 1) + b"".join(entries)


def param(pid, value):
    return struct.pack("<id", pid, float(value))


def mode(loads, speed, coeff):
    return struct.pack("<6d", loads[0], loads[1], loads[2], loads[3], speed, coeff)


def point(number, group, modes, power_number, params):
    return struct.pack("<ii", number, group) + lst(modes) + struct.pack("<i", power_number) + lst(params)


def bearing_entry(bid, b):
    return struct.pack("<iffiii", bid, b["Kb"], b["Kt"], b["ring"], b["radial"], b["axial"])


def scenario_bytes(r):
    common = [param(2, L), param(4, FORCE_UNIT), param(38, DIRECTION), param(53, AXIS_LENGTH),
              param(54, LEFT_SUPPORT_AT)]
    h = HELICAL
    p1 = point(1, 3, [mode(l, n, k) for l, (n, k) in zip(r["hel_loads"], MODES)], 2,
               [param(11, h["m"]), param(12, h["z1"]), param(13, h["z2"]), param(14, h["beta"]),
                param(15, h["alpha_code"]), param(16, h["x1"]), param(17, h["x2"]), param(18, h["hand"]),
                param(19, h["role"]), param(20, h["phi"]), param(33, h["z"])])
    fp = FREE_POINT
    p2 = point(2, 2, [mode((f[0], f[1], f[2], 0.0), n, k) for f, (n, k) in zip(FREE_LOADS, MODES)], 5,
               [param(5, fp["x"]), param(6, fp["y"]), param(7, fp["z"]),
                # the equivalent projections that the forces dialog stores on closing
                param(8, r["free_eq"][0]), param(9, r["free_eq"][1]), param(10, r["free_eq"][2])])
    g = BEVEL
    p3 = point(3, 4, [mode(l, n, k) for l, (n, k) in zip(r["bev_loads"], MODES)], 4,
               [param(21, g["me"]), param(22, g["z1"]), param(23, g["z2"]), param(24, g["beta"]),
                param(25, g["alpha_code"]), param(26, g["sigma"]), param(27, g["b"]), param(28, g["orient"]),
                param(30, g["hand"]), param(31, g["role"]), param(32, g["phi"]), param(34, g["z"])])
    (lb, lrow, _), (rb, rrow, _) = r["bearings"]
    return lst(common) + lst([p1, p2, p3]) + bearing_entry(lrow["id"], lb) + bearing_entry(rrow["id"], rb)


# ---------------------------------------------------------------------------
# Expected page rows. Lines of expected.txt, tab-separated:
#   A  caption                     anchor: the next row with this first cell
#   V  caption  value  what        the first row with this first cell from the
#                                  last anchor on (before the next anchor) has
#                                  this second cell
#   M  plane  value                largest |moment| of the diagram (its vertices,
#                                  just left and just right of every point),
#                                  force unit × m
# ---------------------------------------------------------------------------

def heading4(text):
    return "<u><font size='4'>%s</font></u>" % text


def expected_lines(r):
    out = []
    A = lambda cap: out.append("A\t" + cap)
    V = lambda cap, val, what: out.append("V\t%s\t%s\t%s" % (cap, val, what))

    def parameters(number, rows):
        for caption, value in rows:
            V(caption, value, "point %d input" % number)

    def gear_section(number, group, params, load_caption, load_index, loads, modes):
        A(heading4("Точка %d - %s:" % (number, group)))
        parameters(number, params)
        A("<u>Нагрузки и режимы:</u>")
        for i, (l, (n, k)) in enumerate(zip(loads, MODES), start=1):
            A("<u>Режим %d:</u>" % i)
            V(load_caption, plain(l[load_index]), "point %d mode %d load" % (number, i))
            V("Частота вращения, об./мин.", plain(n), "point %d mode %d speed" % (number, i))
            V("Коэффициент использования режима", plain(k), "point %d mode %d usage" % (number, i))
        A(heading4("Силы в зацеплении:"))
        for i, f in enumerate(modes, start=1):
            A("<u>Режим %d:</u>" % i)
            V("   Окружная   Ft(%d)" % i, shown("p%d Ft%d" % (number, i), f["Ft"]), "point %d Ft(%d)" % (number, i))
            V("   Радиальная Fr(%d)" % i, shown("p%d Fr%d" % (number, i), f["Fr"]), "point %d Fr(%d)" % (number, i))
            V("   Осевая     Fa(%d)" % i, shown("p%d Fa%d" % (number, i), f["Fa"]), "point %d Fa(%d)" % (number, i))

    A(heading4("Общие данные:"))
    V("Расстояние между опорами L, мм", plain(L), "support distance")
    V("Единица силы", "Н", "force unit")
    V("Направление вращения вала", "1 - по часовой стрелке (вид со стороны левой опоры)", "rotation")
    V("Длина оси эпюры моментов, мм", plain(AXIS_LENGTH), "diagram axis length")
    V("Положение левой опоры на оси эпюры, мм", plain(LEFT_SUPPORT_AT), "left support on the axis")

    h = HELICAL
    hand = {1: "1 - правое", 2: "2 - левое"}
    role = {1: "1 - ведущее", 2: "2 - ведомое"}
    gear_section(1, "Цилиндрическое зацепление", [
        ("Нормальный модуль m, мм", plain(h["m"])),
        ("Число зубьев колеса на валу z1", plain(h["z1"])),
        ("Число зубьев сопряжённого колеса z2", plain(h["z2"])),
        ("Угол наклона зубьев, град", plain(h["beta"])),
        ("Угол профиля исходного контура, град", "%s°" % plain(PRESSURE_ANGLES[h["alpha_code"]])),
        ("Коэффициент смещения колеса на валу x1", plain(h["x1"])),
        ("Коэффициент смещения сопряжённого колеса x2", plain(h["x2"])),
        ("Направление зубьев колеса на валу", hand[h["hand"]]),
        ("Роль колеса на валу", role[h["role"]]),
        ("Угловое положение зацепления, град", plain(h["phi"])),
        ("Координата z зацепления (от левой опоры), мм", plain(h["z"])),
    ], "Мощность кВт", 1, r["hel_loads"], r["hel"])
    A(heading4("Точка 2 - Произвольная сила:"))
    parameters(2, [
        ("Координата x точки приложения силы, мм", plain(FREE_POINT["x"])),
        ("Координата y точки приложения силы, мм", plain(FREE_POINT["y"])),
        ("Координата z точки приложения силы (от левой опоры), мм", plain(FREE_POINT["z"])),
    ])
    A("<u>Силы и режимы:</u>")
    for i, (f, (n, k)) in enumerate(zip(FREE_LOADS, MODES), start=1):
        A("<u>Режим %d:</u>" % i)
        for j, axis in enumerate("xyz"):
            V("Проекция F%s(%d) = " % (axis, i), plain(f[j]), "point 2 mode %d F%s" % (i, axis))
    g = BEVEL
    gear_section(3, "Коническое зацепление", [
        ("Внешний окружной модуль me, мм", plain(g["me"])),
        ("Число зубьев колеса на валу z1", plain(g["z1"])),
        ("Число зубьев сопряжённого колеса z2", plain(g["z2"])),
        ("Средний угол наклона зубьев, град", plain(g["beta"])),
        ("Угол профиля исходного контура, град", "%s°" % plain(PRESSURE_ANGLES[g["alpha_code"]])),
        ("Межосевой угол передачи, град", plain(g["sigma"])),
        ("Ширина зубчатого венца b, мм", plain(g["b"])),
        ("Ориентация конуса колеса на валу", {1: "1 - вершиной вправо (к правой опоре)",
                                             2: "2 - вершиной влево (к левой опоре)"}[g["orient"]]),
        ("Направление спирали зубьев колеса на валу", hand[g["hand"]]),
        ("Роль колеса на валу", role[g["role"]]),
        ("Угловое положение зацепления, град", plain(g["phi"])),
        ("Координата z зацепления (от левой опоры), мм", plain(g["z"])),
    ], "Крутящий момент Н*м", 3, r["bev_loads"], r["bev"])

    R = r["R"]
    A(heading4("Эквивалентные реакции опор:"))
    A("<u>Левая опора:</u>")
    for k in ("R1x", "R1y", "R1"):
        V(k, shown(k, R[k]), "reaction " + k)
    A("<u>Правая опора:</u>")
    for k in ("R2x", "R2y", "R2"):
        V(k, shown(k, R[k]), "reaction " + k)
    V("Ra", shown("Ra", R["Ra"]), "axial reaction Ra")

    A(heading4("Подшипники:"))
    for side, (b, row, res) in enumerate(r["bearings"]):
        A("<u>Левая опора:</u>" if side == 0 else "<u>Правая опора:</u>")
        s = "left" if side == 0 else "right"
        V("Номер подшипника", b["designation"], s + " bearing")
        V("Размер D x d x b, мм", "%s x %s x %s" % (plain(row["D"]), plain(row["d"]), plain(row["B"])), s + " size")
        V("Динамическая грузоподъёмность, Н", plain(row["C"]), s + " C")
        V("Статическая грузоподъёмность, Н", plain(row["C0"]), s + " C0")
        V("Угол контакта номинальный, град.", plain(row["alpha"]), s + " alpha")
        V("            Безопасности  Кб", plain(b["Kb"]), s + " Kb")
        V("            Качества      Ккач", plain(1), s + " Kk")
        V("            Температурный Kt", plain(b["Kt"]), s + " Kt")
        V("            Вращения      V", plain(1), s + " V")
        V("                          e", shown(s + " e", res["e"]), s + " e")
        V("                          X", shown(s + " X", res["X"]), s + " X")
        V("                          Y", shown(s + " Y", res["Y"]), s + " Y")
        V("Радиальная нагрузка", "воспринимается" if b["radial"] else "не воспринимается", s + " takes radial")
        V("Осевая нагрузка", "воспринимается" if b["axial"] else "не воспринимается", s + " takes axial")
        V("Расчётная нагрузка Pr, Н", shown(s + " Pr", res["Pr"]), s + " Pr")
        V("<b>Долговечность, час.</b>", "<b>%s</b>" % shown(s + " Lh", res["Lh"]), s + " Lh")
        V("Статическая эквивалентная нагрузка P0, Н", shown(s + " P0", res["P0"]), s + " P0")
        V("Запас статической грузоподъёмности s0", shown(s + " s0", res["s0"]), s + " s0")

    v = r["vertices"]
    extremes = {
        "XOZ": max(max(abs(t[1]), abs(t[2])) for t in v),
        "YOZ": max(max(abs(t[3]), abs(t[4])) for t in v),
        "SUM": max(max(math.hypot(t[1], t[3]), math.hypot(t[2], t[4])) for t in v),
    }
    for plane in ("XOZ", "YOZ", "SUM"):
        out.append("M\t%s\t%s" % (plane, shown("M" + plane, extremes[plane] / 1000.0)))
    return out, extremes


def report(r, extremes):
    p = print
    p("Mode weights n·t/Σn·t:", ["%.6f" % x for x in r["w"]])
    p("Equivalent speed n = Σ n·t = %.6g rpm" % r["n_eq"])
    p("\nPoint 1, helical wheel:", {k: round(v, 6) for k, v in r["hel_geo"].items()})
    p("  mesh point x, y, z:", r["hel_at"])
    for i, (l, f) in enumerate(zip(r["hel_loads"], r["hel"]), 1):
        p("  mode %d: P = %g kW, T = %.6f N·m, Ft = %.6f, Fr = %.6f, Fa = %.6f, Fx = %.6f, Fy = %.6f, Fz = %.6f"
          % (i, l[1], l[3], f["Ft"], f["Fr"], f["Fa"], f["Fx"], f["Fy"], f["Fz"]))
    p("  equivalent Fx, Fy, Fz: %.6f %.6f %.6f" % r["hel_eq"])
    p("\nPoint 2, free force: equivalent Fx, Fy, Fz: %.6f %.6f %.6f" % r["free_eq"])
    p("\nPoint 3, bevel pinion:", {k: round(v, 6) for k, v in r["bev_geo"].items()})
    p("  mesh point x, y, z:", r["bev_at"])
    for i, (l, f) in enumerate(zip(r["bev_loads"], r["bev"]), 1):
        p("  mode %d: T = %g N·m, Ft = %.6f, Fr = %.6f, Fa = %.6f, Fx = %.6f, Fy = %.6f, Fz = %.6f"
          % (i, l[3], f["Ft"], f["Fr"], f["Fa"], f["Fx"], f["Fy"], f["Fz"]))
    p("  equivalent Fx, Fy, Fz: %.6f %.6f %.6f" % r["bev_eq"])
    p("\nReactions:", {k: round(v, 6) for k, v in r["R"].items()})
    p("\nMoment diagram vertices (axis position, MxL, MxR, MyL, MyR), N·mm:")
    for t in r["vertices"]:
        p("  %6.1f %14.3f %14.3f %14.3f %14.3f" % t)
    p("Largest |M|, N·m: XOZ %.6f, YOZ %.6f, resultant %.6f"
      % (extremes["XOZ"] / 1000, extremes["YOZ"] / 1000, extremes["SUM"] / 1000))
    for side, (b, row, res) in enumerate(r["bearings"]):
        p("\n%s bearing %s (BearingID %d, %s): C = %g, C0 = %g, alpha = %d" %
          ("Left" if side == 0 else "Right", b["designation"], row["id"], row["kind"], row["C"], row["C0"], row["alpha"]))
        p("  Fr = %.6f, Fa = %.6f, Fa/C0 = %.6f, Fa/(V·Fr) = %.6f, e = %.6f, X = %g, Y = %.6f, Pr = %.6f, Lh = %.6f"
          % (res["Fr"], res["Fa"], res["FaC0"], res["ratio"], res["e"], res["X"], res["Y"], res["Pr"], res["Lh"]))
        p("  largest over the modes Fr = %.6f, Fa = %.6f: P0 = %.6f, s0 = %.6f"
          % (res["Fr0"], res["Fa0"], res["P0"], res["s0"]))


def main():
    r = calculate()
    lines, extremes = expected_lines(r)
    report(r, extremes)
    # The same scenario is shipped as the program's worked example.
    for folder in (HERE, os.path.join(HERE, "..", "..", "..", "examples")):
        with open(os.path.join(folder, "reducer_shaft.tvd"), "wb") as f:
            f.write(scenario_bytes(r))
    with open(os.path.join(HERE, "expected.txt"), "w", encoding="utf-8", newline="\n") as f:
        f.write("# Written by reducer_shaft.py; see README.md. Tab-separated.\n")
        f.write("\n".join(lines) + "\n")
    if FRAGILE:
        print("\nWARNING: values within 1e-7 of a rounding boundary:", FRAGILE)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
