// placeholder until the stand-in is written
