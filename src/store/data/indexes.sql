-- Indexes for the questions the program asks over and over: a point by its
-- number, the rows of one point, one parameter. Run on every start, so that
-- stores made before an index existed get it too.

CREATE INDEX IF NOT EXISTS DefaultParametersByParameter ON DefaultParameters (ParameterID, DefaultValue);
CREATE INDEX IF NOT EXISTS PointsByNumber ON Points (PointNumber);
CREATE INDEX IF NOT EXISTS PointParametersByPoint ON PointParameters (PointID, ParameterID);
CREATE INDEX IF NOT EXISTS PowersByPoint ON Powers (PointID, RezNumber);
CREATE INDEX IF NOT EXISTS PointForsesByPoint ON PointForses (PointID, RezNumber);
CREATE INDEX IF NOT EXISTS CommonParametersByParameter ON CommonParameters (ParameterID);
CREATE INDEX IF NOT EXISTS ReakzByParameter ON Reakz (ParameterID);
CREATE INDEX IF NOT EXISTS BearRepBySide ON BearRep (Side);
CREATE INDEX IF NOT EXISTS BearingsByTip ON Bearings (TipID, C);
