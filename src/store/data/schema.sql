-- Tables of the project store. Numbers are double precision (REAL affinity),
-- whole numbers INTEGER. Point and bearing identifiers are assigned by the
-- engine and never reused, so rows of a deleted point can never be taken for
-- rows of a new one.

CREATE TABLE "Parameters" (Parameter TEXT, ParameterID INTEGER PRIMARY KEY, GroupID INTEGER);
CREATE TABLE DefaultParameters (ParameterID INTEGER, DefaultValue INTEGER, DefaultText TEXT);
CREATE TABLE Groups (GroupID INTEGER PRIMARY KEY, "Group" TEXT);
CREATE TABLE PowerClasses (PowerID INTEGER PRIMARY KEY, PowerClass TEXT);
CREATE TABLE BearingsTip (TipID INTEGER PRIMARY KEY, Tip TEXT);
CREATE TABLE Bearings (BearingID INTEGER PRIMARY KEY AUTOINCREMENT, "Number" TEXT, di DOUBLE, de DOUBLE,
                       b DOUBLE, C DOUBLE, C0 DOUBLE, Alfa DOUBLE, Tkah DOUBLE, TipID INTEGER);

CREATE TABLE CommonParameters (ParameterID INTEGER, ParamValue DOUBLE);
CREATE TABLE Points (PointID INTEGER PRIMARY KEY AUTOINCREMENT, PointNumber INTEGER, GroupID INTEGER);
CREATE TABLE PointParameters (PointID INTEGER, ParameterID INTEGER, ParValue DOUBLE DEFAULT 0);
CREATE TABLE Powers (PointID INTEGER, Power DOUBLE, Speed DOUBLE, Coeff DOUBLE, PowerID INTEGER,
                     PowerNumber INTEGER, RezNumber INTEGER);
CREATE TABLE PointForses (PointID INTEGER, ParameterID INTEGER, ParameterValue DOUBLE, RezNumber INTEGER);
CREATE TABLE Reakz (ParameterID INTEGER, ParamValue DOUBLE);
CREATE TABLE BearRep (Side INTEGER, BearingID INTEGER, Kb DOUBLE, Kt DOUBLE, Pr DOUBLE, Lh DOUBLE, Kv DOUBLE,
                      e DOUBLE, X DOUBLE, Y DOUBLE, RollRing INTEGER, Radial INTEGER, Osev INTEGER);
-- The life, in hours, the bearing of a support is to reach; no row when none is set.
CREATE TABLE RequiredLife (Side INTEGER PRIMARY KEY, Lh DOUBLE);
-- The shaft's steps from its left end, in mm; a solid step has Bore 0.
CREATE TABLE ShaftSegments (SegmentNo INTEGER PRIMARY KEY, Length DOUBLE, Outer DOUBLE, Bore DOUBLE);
-- The settings of the shaft's check that differ from their defaults, and its steel.
CREATE TABLE ShaftSettings (SettingID INTEGER PRIMARY KEY, Value DOUBLE);
