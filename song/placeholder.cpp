// Replaced as the song library grows.
